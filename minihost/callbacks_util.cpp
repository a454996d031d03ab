#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <type_traits>

#include "minihost/callbacks.h"
#include "minihost/host_frame.h"

namespace boxwander::minihost {
namespace {

struct Area {
  std::int32_t left = 0, top = 0, width = 0, height = 0;
};

// The rectangle clipped to the world, or the whole world for none.
Area AreaOf(const World& w, const PF_LRect* rect) {
  if (rect == nullptr) {
    return {0, 0, w.width(), w.height()};
  }
  const std::int32_t left = std::max(rect->left, 0);
  const std::int32_t top = std::max(rect->top, 0);
  const std::int32_t right = std::min(rect->right, w.width());
  const std::int32_t bottom = std::min(rect->bottom, w.height());
  return {left, top, std::max(right - left, 0), std::max(bottom - top, 0)};
}

std::uint8_t* PixelAt(World& w, std::int32_t x, std::int32_t y) {
  return w.data() + static_cast<std::ptrdiff_t>(y) * w.rowBytes() +
         static_cast<std::ptrdiff_t>(x) * BytesPerPixel(w.format());
}

template <class P>
void FillArea(World& w, const Area& a, const P& value) {
  for (std::int32_t y = a.top; y < a.top + a.height; ++y) {
    P* row = w.row<P>(y);
    for (std::int32_t x = a.left; x < a.left + a.width; ++x) {
      row[x] = value;
    }
  }
}

// An 8-bit channel at another depth, as this host converts a fill colour: 255 maps to full
// scale, rounded to nearest. The effect's Color8To16 adds 128 instead of 127, a rule its
// pictures are fixed to; the two differ for 254 alone (32640 there, the nearest 32639
// here). The float conversions agree on all 256 values.
std::uint16_t To16(std::uint8_t c) {
  return static_cast<std::uint16_t>((c * 32768 + 127) / 255);
}
float ToFloat(std::uint8_t c) {
  return static_cast<float>(c) / 255.0f;
}

// A fill colour in the world's depth.
template <class P>
P InDepth(const PF_Pixel& c) {
  if constexpr (std::is_same_v<P, Pixel16>) {
    return {To16(c.alpha), To16(c.red), To16(c.green), To16(c.blue)};
  } else if constexpr (std::is_same_v<P, PixelFloat>) {
    return {ToFloat(c.alpha), ToFloat(c.red), ToFloat(c.green), ToFloat(c.blue)};
  } else {
    return {c.alpha, c.red, c.green, c.blue};
  }
}

// The room left in the current command's return message from p on, or -1 when p is not
// inside it.
std::ptrdiff_t RoomInMessage(const Host* host, const char* p, const PF_OutData* out) {
  if (host == nullptr || out == nullptr) {
    return -1;
  }
  const char* begin = out->return_msg;
  const char* end = begin + sizeof out->return_msg;
  // Compared as integers: p may point anywhere.
  const auto at = reinterpret_cast<std::uintptr_t>(p);
  if (at < reinterpret_cast<std::uintptr_t>(begin) || at >= reinterpret_cast<std::uintptr_t>(end)) {
    return -1;
  }
  return static_cast<std::ptrdiff_t>(reinterpret_cast<std::uintptr_t>(end) - at);
}

}  // namespace

PF_Err Callbacks::Copy(PF_ProgPtr effect_ref, PF_EffectWorld* src, PF_EffectWorld* dst,
                       const PF_LRect* src_rect, const PF_LRect* dst_rect) {
  Host* host = Resolve(effect_ref, "copy");
  if (host == nullptr || !Allowed(*host, "copy", {})) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  return Guard(*host, "copy", [&]() -> PF_Err {
    if (const auto code = host->faults_.onCall(HostOp::kCopy)) {
      return *code;
    }
    World* from = host->frame_ != nullptr ? host->frame_->find(src) : nullptr;
    World* to = host->frame_ != nullptr ? host->frame_->find(dst) : nullptr;
    if (from == nullptr || to == nullptr) {
      Misbehaviour(*host, "copy of a world the host did not hand out in this frame");
      return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (from->format() != to->format()) {
      return PF_Err_BAD_CALLBACK_PARAM;
    }
    Area a = AreaOf(*from, src_rect);
    Area b = AreaOf(*to, dst_rect);
    if (src_rect == nullptr && dst_rect == nullptr) {
      a.width = b.width = std::min(a.width, b.width);
      a.height = b.height = std::min(a.height, b.height);
    } else if (a.width != b.width || a.height != b.height) {
      return PF_Err_BAD_CALLBACK_PARAM;  // this host does not scale
    }
    const std::size_t run = static_cast<std::size_t>(a.width) * BytesPerPixel(from->format());
    for (std::int32_t y = 0; y < a.height; ++y) {
      std::memmove(PixelAt(*to, b.left, b.top + y), PixelAt(*from, a.left, a.top + y), run);
    }
    return PF_Err_NONE;
  });
}

PF_Err Callbacks::Fill(PF_ProgPtr effect_ref, const PF_Pixel* color, const PF_LRect* rect,
                       PF_EffectWorld* world) {
  Host* host = Resolve(effect_ref, "fill");
  if (host == nullptr || !Allowed(*host, "fill", {})) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  return Guard(*host, "fill", [&]() -> PF_Err {
    if (const auto code = host->faults_.onCall(HostOp::kFill)) {
      return *code;
    }
    World* w = host->frame_ != nullptr ? host->frame_->find(world) : nullptr;
    if (w == nullptr || color == nullptr) {
      Misbehaviour(*host, "fill without a colour or of a world the host did not hand out");
      return PF_Err_BAD_CALLBACK_PARAM;
    }
    const Area a = AreaOf(*w, rect);
    VisitFormat(w->format(), [&]<class P>(PixelTag<P>) { FillArea(*w, a, InDepth<P>(*color)); });
    return PF_Err_NONE;
  });
}

PF_Handle Callbacks::NewHandle(uint64_t size) {
  Host* host = Current();
  if (host == nullptr || !Allowed(*host, "host_new_handle", {})) {
    return nullptr;
  }
  if (host->faults_.onCall(HostOp::kNewHandle)) {
    return nullptr;
  }
  try {
    return host->handles_.allocate(size);
  } catch (...) {
    return nullptr;  // the host's own books could not grow: no memory, as far as it can tell
  }
}

void* Callbacks::LockHandle(PF_Handle handle) {
  Host* host = Current();
  if (host == nullptr || !Allowed(*host, "host_lock_handle", {})) {
    return nullptr;
  }
  if (host->faults_.onCall(HostOp::kLockHandle)) {
    return nullptr;
  }
  // Only recording a misuse can throw; the answer stays the same.
  try {
    return host->handles_.lock(handle);
  } catch (...) {
    return nullptr;
  }
}

void Callbacks::UnlockHandle(PF_Handle handle) {
  Host* host = Current();
  if (host != nullptr && Allowed(*host, "host_unlock_handle", {})) {
    try {
      host->handles_.unlock(handle);
    } catch (...) {
      // Recording a misuse failed; the handle is as it was.
    }
  }
}

void Callbacks::DisposeHandle(PF_Handle handle) {
  Host* host = Current();
  if (host != nullptr && Allowed(*host, "host_dispose_handle", {})) {
    try {
      host->handles_.dispose(handle);
    } catch (...) {
      // Recording a misuse failed; a live handle was freed before that.
    }
  }
}

int Callbacks::Sprintf(char* buffer, const char* format, ...) {
  Host* host = Current();
  if (buffer == nullptr || format == nullptr) {
    if (host != nullptr) {
      Misbehaviour(*host, "sprintf without a buffer or a format");
    }
    return -1;
  }
  std::va_list args;
  va_start(args, format);
  int written = 0;
  const std::ptrdiff_t room = RoomInMessage(host, buffer, host ? host->activeOut_ : nullptr);
  if (room >= 0) {
    // Into the return message: never past its end, and say so when it would have been.
    written = std::vsnprintf(buffer, static_cast<std::size_t>(room), format, args);
    if (written >= room) {
      Misbehaviour(*host, "sprintf of " + std::to_string(written) +
                              " characters into return_msg, which has room for " +
                              std::to_string(room - 1));
    }
  } else {
    written = std::vsprintf(buffer, format, args);
  }
  va_end(args);
  return written;
}

char* Callbacks::Strcpy(char* destination, const char* source) {
  Host* host = Current();
  if (destination == nullptr || source == nullptr) {
    if (host != nullptr) {
      Misbehaviour(*host, "strcpy without a destination or a source");
    }
    return destination;
  }
  const std::ptrdiff_t room = RoomInMessage(host, destination, host ? host->activeOut_ : nullptr);
  const std::size_t length = std::strlen(source);
  if (room >= 0 && length >= static_cast<std::size_t>(room)) {
    Misbehaviour(*host, "strcpy of " + std::to_string(length) +
                            " characters into return_msg, which has room for " +
                            std::to_string(room - 1));
    std::memcpy(destination, source, static_cast<std::size_t>(room) - 1);
    destination[room - 1] = '\0';
    return destination;
  }
  return std::strcpy(destination, source);
}

}  // namespace boxwander::minihost
