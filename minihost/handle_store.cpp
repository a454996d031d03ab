#include "minihost/handle_store.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace boxwander::minihost {
namespace {

constexpr std::uint8_t kGuardByte = 0xA5;

std::string Describe(std::uint64_t size) {
  return "handle of " + std::to_string(size) + " bytes";
}

}  // namespace

bool HandleStore::GuardsIntact(const Entry& e) noexcept {
  const std::uint8_t* front = e.storage.get();
  const std::uint8_t* back = front + kGuardBytes + e.size;
  for (std::size_t i = 0; i < kGuardBytes; ++i) {
    if (front[i] != kGuardByte || back[i] != kGuardByte) {
      return false;
    }
  }
  return true;
}

HandleStore::Handle HandleStore::allocate(std::uint64_t size) {
  if (size > limit_ || size > SIZE_MAX - 2 * kGuardBytes) {
    return nullptr;
  }
  Entry e;
  e.size = size;
  const std::size_t total = static_cast<std::size_t>(size) + 2 * kGuardBytes;
  e.storage.reset(new (std::nothrow) std::uint8_t[total]);
  e.cell.reset(new (std::nothrow) void*(nullptr));
  if (!e.storage || !e.cell) {
    return nullptr;
  }
  std::memset(e.storage.get(), kGuardByte, kGuardBytes);
  std::memset(e.storage.get() + kGuardBytes, 0, static_cast<std::size_t>(size));
  std::memset(e.storage.get() + kGuardBytes + size, kGuardByte, kGuardBytes);
  *e.cell = e.storage.get() + kGuardBytes;
  Handle h = e.cell.get();
  entries_.emplace(h, std::move(e));
  return h;
}

void* HandleStore::lock(Handle h) {
  const auto it = entries_.find(h);
  if (it == entries_.end()) {
    ledger_.misbehaviour("host_lock_handle of a handle the host does not own");
    return nullptr;
  }
  ++it->second.locks;
  return *it->second.cell;
}

void HandleStore::unlock(Handle h) {
  const auto it = entries_.find(h);
  if (it == entries_.end()) {
    ledger_.misbehaviour("host_unlock_handle of a handle the host does not own");
    return;
  }
  if (it->second.locks == 0) {
    ledger_.misbehaviour("host_unlock_handle of a " + Describe(it->second.size) +
                         " that is not locked");
    return;
  }
  --it->second.locks;
}

void HandleStore::dispose(Handle h) {
  if (h == nullptr) {
    return;  // disposing of no handle is harmless, as with free(nullptr)
  }
  const auto it = entries_.find(h);
  if (it == entries_.end()) {
    ledger_.misbehaviour("host_dispose_handle of a handle the host does not own");
    return;
  }
  // Freed first, so that the block goes even if recording what was found fails.
  const bool intact = GuardsIntact(it->second);
  const std::uint64_t size = it->second.size;
  entries_.erase(it);
  if (!intact) {
    ledger_.misbehaviour("write outside a " + Describe(size) + " found when it was disposed");
  }
}

std::uint64_t HandleStore::size(Handle h) const noexcept {
  const auto it = entries_.find(h);
  return it == entries_.end() ? 0 : it->second.size;
}

std::int32_t HandleStore::lockCount(Handle h) const noexcept {
  const auto it = entries_.find(h);
  return it == entries_.end() ? 0 : it->second.locks;
}

std::vector<HandleStore::Handle> HandleStore::liveHandles() const {
  std::vector<Handle> handles;
  handles.reserve(entries_.size());
  for (const auto& [h, e] : entries_) {
    handles.push_back(h);
  }
  return handles;
}

HandleStore::Handle HandleStore::owner(const void* p, std::uint64_t bytes) const noexcept {
  const auto address = reinterpret_cast<std::uintptr_t>(p);
  for (const auto& [h, e] : entries_) {
    const auto start = reinterpret_cast<std::uintptr_t>(*e.cell);
    if (address >= start && address - start <= e.size && bytes <= e.size - (address - start)) {
      return h;
    }
  }
  return nullptr;
}

void HandleStore::hold(Handle h, std::string why) {
  const auto it = entries_.find(h);
  if (it != entries_.end()) {
    it->second.heldFor = std::move(why);
  }
}

void HandleStore::unhold(Handle h) {
  const auto it = entries_.find(h);
  if (it != entries_.end()) {
    it->second.heldFor.clear();
  }
}

void HandleStore::auditInto(Audit& audit) const {
  for (const auto& [h, e] : entries_) {
    if (!GuardsIntact(e)) {
      audit.findings.push_back("write outside a " + Describe(e.size) +
                               (e.heldFor.empty() ? "" : " (" + e.heldFor + ")"));
    }
    if (e.heldFor.empty()) {
      audit.findings.push_back(Describe(e.size) + " never disposed (" + std::to_string(e.locks) +
                               " locks)");
    }
  }
}

}  // namespace boxwander::minihost
