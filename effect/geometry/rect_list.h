#pragma once

#include <cstdint>

namespace boxwander {

// One rectangle of the chain, in input pixels. It covers columns centerX - halfWidth to
// centerX + halfWidth and rows centerY - halfHeight to centerY + halfHeight, inclusive.
struct RectRecord {
  std::int32_t anchorX = 0;  // path sample it was placed at; always inside the image
  std::int32_t anchorY = 0;
  std::int32_t centerX = 0;  // may lie outside the image
  std::int32_t centerY = 0;
  std::int32_t halfWidth = 0;
  std::int32_t halfHeight = 0;

  friend bool operator==(const RectRecord&, const RectRecord&) = default;
};

struct RectNode {
  RectRecord record;
  RectNode* next = nullptr;
};

// The chain in placement order: a singly linked list behind a sentinel node, appended to
// in constant time through the tail. Allocation failure throws std::bad_alloc before
// anything is linked, so the list stays valid.
class RectList {
 public:
  RectList();
  ~RectList();
  RectList(const RectList&) = delete;
  RectList& operator=(const RectList&) = delete;

  void append(RectRecord record);
  // Frees every record; the list stays usable.
  void clear() noexcept;

  // First node after the sentinel, or null when empty. Iterate with node->next.
  const RectNode* first() const noexcept { return head_->next; }
  bool empty() const noexcept { return head_->next == nullptr; }

 private:
  RectNode* head_;
  RectNode* tail_;
};

}  // namespace boxwander
