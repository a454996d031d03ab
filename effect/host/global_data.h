#pragma once

#include <cstdint>

#include "host/host_interface.h"

namespace boxwander {

// One block per loaded module, created at global setup and owned by the host from then on.
struct GlobalData {
  std::uint8_t initialized;  // 0 forces a fresh parameter-state snapshot
  AEGP_PluginID pluginId;
};

// One block per instance: the host's parameter-state record, stored and handed back
// uninterpreted. A fresh instance's block is all zeros; it is always a whole PF_State, so
// the host's state comparison never reads past its end.
using SequenceData = PF_State;

// The block a handle holds, read without a lock (its first word is the address).
template <class T>
T* BlockOf(PF_Handle handle) noexcept {
  return handle != nullptr ? static_cast<T*>(*handle) : nullptr;
}

}  // namespace boxwander
