#pragma once

#include <cstdint>
#include <vector>

namespace boxwander::test {

// Checks, with one failure per wrong property, that bytes read from a module file are
// exactly the effect's property list: the header and the twelve properties, 294 bytes.
// The Linux module's ".pipl" section and the Windows module's "PIPL" resource are both
// held to it.
void ExpectBoxwanderPropertyList(const std::vector<std::uint8_t>& pipl);

}  // namespace boxwander::test
