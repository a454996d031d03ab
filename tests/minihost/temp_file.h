#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// A file in the temporary directory that goes with the object.
class TempFile {
 public:
  TempFile(const std::string& name, const std::vector<std::uint8_t>& bytes)
      : path_(std::filesystem::temp_directory_path() /
              ("boxwander_minihost_" + std::to_string(getpid()) + "_" + name)) {
    std::ofstream out(path_, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }
  ~TempFile() {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  std::string path() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};
