#include "cli/shapes/mask_track.h"

#include <algorithm>
#include <string>

namespace boxwander::shapes {
namespace {

ShapePoint Lerp(ShapePoint a, ShapePoint b, double t) noexcept {
  return {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
}

}  // namespace

MaskTrack::MaskTrack(MaskShape shape) : keys_{{0, std::move(shape)}} {}

MaskTrack::MaskTrack(std::vector<MaskKey> keys) : keys_(std::move(keys)) {
  if (keys_.empty()) {
    throw std::invalid_argument("no keyframe");
  }
  std::stable_sort(keys_.begin(), keys_.end(),
                   [](const MaskKey& a, const MaskKey& b) { return a.frame < b.frame; });
  const MaskKey& first = keys_.front();
  for (std::size_t k = 1; k < keys_.size(); ++k) {
    const MaskKey& key = keys_[k];
    const std::string at = "the keyframe at frame " + std::to_string(key.frame);
    if (key.frame == keys_[k - 1].frame) {
      throw std::invalid_argument("two keyframes at frame " + std::to_string(key.frame));
    }
    if (key.shape.vertices.size() != first.shape.vertices.size()) {
      throw std::invalid_argument(at + " has " + std::to_string(key.shape.vertices.size()) +
                                  " vertices, the one at frame " + std::to_string(first.frame) +
                                  " has " + std::to_string(first.shape.vertices.size()) +
                                  "; keyframes of a mask need the same vertex count");
    }
    if (key.shape.closed != first.shape.closed) {
      throw std::invalid_argument(at + " is " + (key.shape.closed ? "closed" : "open") +
                                  ", the one at frame " + std::to_string(first.frame) + " is not");
    }
  }
}

MaskShape MaskTrack::at(std::int32_t frame) const {
  const auto next = std::upper_bound(keys_.begin(), keys_.end(), frame,
                                     [](std::int32_t f, const MaskKey& k) { return f < k.frame; });
  if (next == keys_.begin())
    return keys_.front().shape;
  const MaskKey& a = *(next - 1);
  if (next == keys_.end() || a.frame == frame)
    return a.shape;
  const MaskKey& b = *next;
  const double t =
      (static_cast<double>(frame) - a.frame) / (static_cast<double>(b.frame) - a.frame);
  MaskShape shape = a.shape;
  for (std::size_t v = 0; v < shape.vertices.size(); ++v) {
    const MaskVertex& from = a.shape.vertices[v];
    const MaskVertex& to = b.shape.vertices[v];
    shape.vertices[v] = {Lerp(from.position, to.position, t), Lerp(from.in, to.in, t),
                         Lerp(from.out, to.out, t)};
  }
  return shape;
}

}  // namespace boxwander::shapes
