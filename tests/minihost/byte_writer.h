#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Builds little-endian byte blobs for the loader's fixtures.
struct ByteWriter {
  std::vector<std::uint8_t> bytes;

  ByteWriter& u8(std::uint8_t v) {
    bytes.push_back(v);
    return *this;
  }
  ByteWriter& u16(std::uint16_t v) { return le(v, 2); }
  ByteWriter& u32(std::uint32_t v) { return le(v, 4); }
  ByteWriter& u64(std::uint64_t v) { return le(v, 8); }
  ByteWriter& text(const std::string& s) {
    bytes.insert(bytes.end(), s.begin(), s.end());
    return *this;
  }
  ByteWriter& zeros(std::size_t n) {
    bytes.insert(bytes.end(), n, 0);
    return *this;
  }
  ByteWriter& le(std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i) {
      bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    return *this;
  }
};
