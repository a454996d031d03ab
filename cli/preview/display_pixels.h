#pragma once

#include <string>

#include "cli/io/image.h"

namespace boxwander::cli::preview {

// The picture as rows of 8-bit red, green, blue, alpha (straight), as a canvas takes
// them: an 8-bit render's own values; deeper renders as an 8-bit file of them reads back.
// A fraction of the time a PNG takes, which is what keeps the page live at HD.
// Written over `out`, whose storage is reused: a fresh frame of megabytes costs more in
// page faults than the conversion itself.
void DisplayPixels(const Image& image, std::string& out);

}  // namespace boxwander::cli::preview
