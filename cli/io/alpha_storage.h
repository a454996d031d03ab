#pragma once

#include "cli/io/image.h"

namespace boxwander::cli {

// How a file keeps colour beside alpha. The effect blends straight colour, so pictures are
// straightened as they are read and stored back in the convention of the file written.
enum class AlphaStorage {
  kStraight,       // PNG, TIFF marked unassociated, ...: colour as it is
  kPremultiplied,  // EXR, TIFF marked associated: colour multiplied by alpha
};

// Premultiplied colour to straight, in place: colour divided by alpha, rounded to the
// nearest and capped at full scale in the integer depths; alpha 0 (or below) gives colour 0.
// Premultiplying the result again gives back every value whose colour did not exceed its
// alpha.
void Unpremultiply(Image& image);

// Straight colour to premultiplied, in place: colour times alpha, rounded to the nearest.
void Premultiply(Image& image);

}  // namespace boxwander::cli
