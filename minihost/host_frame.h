#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "host/host_interface.h"
#include "minihost/host.h"

namespace boxwander::minihost {

// The host's side of one frame, from smart pre-render to the release routine.
struct HostFrame {
  World input;  // the host's copy of the caller's input
  World& output;
  PF_EffectWorld inputWorld{};
  PF_EffectWorld outputWorld{};
  PF_PixelFormat reportedFormat = PF_PixelFormat_INVALID;
  HostTime time;
  PF_RationalScale downsampleX{1, 1};
  PF_RationalScale downsampleY{1, 1};
  // Layer checkouts made at pre-render, by checkout id.
  std::map<std::int32_t, PF_RenderRequest> layerCheckouts;
  std::optional<PF_RenderRequest> layerRequest;  // the first one, for the caller
  std::vector<ProgressCall> progress;
  std::function<void(std::int32_t, std::int32_t)> onProgress;  // RenderOptions::onProgress

  HostFrame(const World& in, World& out) : input(in), output(out) {}

  // The world behind a PF_EffectWorld this frame handed out, or null.
  World* find(const PF_EffectWorld* world) noexcept {
    if (world == &inputWorld) {
      return &input;
    }
    if (world == &outputWorld) {
      return &output;
    }
    return nullptr;
  }
};

// The world suite's code for a depth.
PF_PixelFormat FormatCodeOf(PixelFormat f) noexcept;

// Horizontal and vertical factors as doubles; a factor that is not a positive finite
// number counts as full resolution.
double ScaleOf(const PF_RationalScale& s) noexcept;

}  // namespace boxwander::minihost
