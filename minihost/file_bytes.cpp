#include "minihost/file_bytes.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "minihost/load_error.h"

namespace boxwander::minihost {

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    throw LoadError(LoadError::Kind::kFileMissing, "no such file");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw LoadError(LoadError::Kind::kFileMissing, "cannot be opened");
  }
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  if (in.bad()) {
    throw LoadError(LoadError::Kind::kFileMissing, "cannot be read");
  }
  return bytes;
}

}  // namespace boxwander::minihost
