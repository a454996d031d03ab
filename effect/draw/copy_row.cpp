#include "draw/copy_row.h"

#include <cstring>

namespace boxwander {

void CopyRow(void* to, const void* from, std::size_t bytes) noexcept {
  std::memcpy(to, from, bytes);
}

}  // namespace boxwander
