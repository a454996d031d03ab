#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace boxwander::minihost {

// Reads a whole file; throws LoadError kFileMissing (message without the path) when it
// cannot.
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);

}  // namespace boxwander::minihost
