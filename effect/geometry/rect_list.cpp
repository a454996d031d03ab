#include "geometry/rect_list.h"

namespace boxwander {

// The sentinel's record is never read; it only gives append a tail to link after.
RectList::RectList() : head_(new RectNode{}), tail_(head_) {}

RectList::~RectList() {
  clear();
  delete head_;
}

void RectList::append(RectRecord record) {
  // Allocated before anything is linked: a failed allocation leaves the list as it was.
  auto* node = new RectNode{record, nullptr};
  tail_->next = node;
  tail_ = node;
}

void RectList::clear() noexcept {
  RectNode* node = head_->next;
  while (node != nullptr) {
    RectNode* next = node->next;
    delete node;
    node = next;
  }
  head_->next = nullptr;
  tail_ = head_;
}

}  // namespace boxwander
