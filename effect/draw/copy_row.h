#pragma once

#include <cstddef>

namespace boxwander {

// The C library's memcpy, called out of line. Inlined into a loop that knows the copy is at
// most a few kilobytes, the compiler writes the copy as a string instruction that runs at a
// fraction of the library's speed on rows of that size.
void CopyRow(void* to, const void* from, std::size_t bytes) noexcept;

}  // namespace boxwander
