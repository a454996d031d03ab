#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "minihost/ledger.h"

namespace boxwander::minihost {

// The host's handle memory. A handle is the address of a word that points at the block,
// so a module may read *handle without locking. Every block carries guard bytes on both
// sides; a write beyond the block is reported when the handle is disposed and by every
// audit. Calls on handles the store never made, or already disposed, are recorded in the
// ledger as misbehaviour and otherwise ignored.
class HandleStore {
 public:
  using Handle = void**;
  static constexpr std::uint64_t kDefaultLimit = std::uint64_t{1} << 33;  // 8 GiB
  static constexpr std::size_t kGuardBytes = 16;

  explicit HandleStore(Ledger& ledger) : ledger_(ledger) {}
  HandleStore(const HandleStore&) = delete;
  HandleStore& operator=(const HandleStore&) = delete;

  // A new zero-filled block, or null when the size is above the limit or the memory
  // cannot be had.
  Handle allocate(std::uint64_t size);
  // The block's address (and one more lock), or null for a handle the store does not own.
  void* lock(Handle h);
  void unlock(Handle h);
  void dispose(Handle h);

  bool live(Handle h) const noexcept { return entries_.count(h) != 0; }
  std::uint64_t size(Handle h) const noexcept;
  std::int32_t lockCount(Handle h) const noexcept;
  std::size_t liveCount() const noexcept { return entries_.size(); }
  std::vector<Handle> liveHandles() const;
  // The live handle whose block holds all of [p, p + bytes), or null.
  Handle owner(const void* p, std::uint64_t bytes) const noexcept;

  // A handle the host keeps on purpose (global data, sequence data, pre-render data): an
  // audit does not count it as leaked while held. Disposing of it ends the hold.
  void hold(Handle h, std::string why);
  void unhold(Handle h);

  void setLimit(std::uint64_t bytes) noexcept { limit_ = bytes; }
  std::uint64_t limit() const noexcept { return limit_; }

  // Live handles that are not held, and damaged guard bytes.
  void auditInto(Audit& audit) const;

 private:
  struct Entry {
    std::unique_ptr<void*> cell;  // the word the handle points at
    std::unique_ptr<std::uint8_t[]> storage;
    std::uint64_t size = 0;
    std::int32_t locks = 0;
    std::string heldFor;  // empty: not held by the host
  };
  static bool GuardsIntact(const Entry& e) noexcept;

  Ledger& ledger_;
  std::map<Handle, Entry> entries_;
  std::uint64_t limit_ = kDefaultLimit;
};

}  // namespace boxwander::minihost
