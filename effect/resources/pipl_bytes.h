#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "resources/pipl_description.h"

// The property list's byte layout: little-endian integers; a four-character code is a
// 32-bit number whose most significant byte is its first character; every property's
// data is followed by zeros up to a multiple of 4.
namespace boxwander {
namespace pipl_detail {

constexpr std::size_t Length(const char* text) {
  std::size_t n = 0;
  while (text[n] != '\0') {
    ++n;
  }
  return n;
}

constexpr std::size_t RoundUp4(std::size_t n) {
  return (n + 3) / 4 * 4;
}

// The property's data length as recorded in the list.
constexpr std::size_t DataLength(const PiplProperty& p) {
  switch (p.kind) {
    case PiplValue::PascalString:
      return RoundUp4(1 + Length(p.text));
    case PiplValue::CodeEntry:
      return RoundUp4(Length(p.text) + 1);
    case PiplValue::Short:
      return 2;
    default:
      return 4;
  }
}

constexpr std::size_t kHeaderBytes = 2 + 4 + 4;
constexpr std::size_t kPropertyHeaderBytes = 4 + 4 + 4 + 4;

class Writer {
 public:
  constexpr explicit Writer(std::uint8_t* out) : out_(out) {}
  constexpr void u8(std::uint8_t v) { out_[pos_++] = v; }
  constexpr void u16(std::uint16_t v) {
    u8(static_cast<std::uint8_t>(v));
    u8(static_cast<std::uint8_t>(v >> 8));
  }
  constexpr void u32(std::uint32_t v) {
    u16(static_cast<std::uint16_t>(v));
    u16(static_cast<std::uint16_t>(v >> 16));
  }
  constexpr void code(const char* c) {
    u32(static_cast<std::uint32_t>(static_cast<unsigned char>(c[0])) << 24 |
        static_cast<std::uint32_t>(static_cast<unsigned char>(c[1])) << 16 |
        static_cast<std::uint32_t>(static_cast<unsigned char>(c[2])) << 8 |
        static_cast<std::uint32_t>(static_cast<unsigned char>(c[3])));
  }
  constexpr void text(const char* t) {
    for (std::size_t i = 0; t[i] != '\0'; ++i) {
      u8(static_cast<std::uint8_t>(t[i]));
    }
  }
  constexpr void padTo(std::size_t end) {
    while (pos_ < end) {
      u8(0);
    }
  }
  constexpr std::size_t pos() const { return pos_; }

 private:
  std::uint8_t* out_;
  std::size_t pos_ = 0;
};

}  // namespace pipl_detail

constexpr std::size_t PiplSize() {
  std::size_t size = pipl_detail::kHeaderBytes;
  for (const PiplProperty& p : kPiplProperties) {
    size += pipl_detail::kPropertyHeaderBytes + pipl_detail::RoundUp4(pipl_detail::DataLength(p));
  }
  return size;
}

constexpr std::array<std::uint8_t, PiplSize()> PiplBytes() {
  using namespace pipl_detail;
  std::array<std::uint8_t, PiplSize()> bytes{};
  Writer w(bytes.data());
  w.u16(kPiplResourceVersion);
  w.u32(kPiplListVersion);
  w.u32(static_cast<std::uint32_t>(kPiplProperties.size()));
  for (const PiplProperty& p : kPiplProperties) {
    const std::size_t length = DataLength(p);
    w.code(p.vendor);
    w.code(p.key);
    w.u32(0);  // property id
    w.u32(static_cast<std::uint32_t>(length));
    const std::size_t end = w.pos() + RoundUp4(length);
    switch (p.kind) {
      case PiplValue::Code:
        w.code(p.text);
        break;
      case PiplValue::PascalString:
        w.u8(static_cast<std::uint8_t>(Length(p.text)));
        w.text(p.text);
        break;
      case PiplValue::CodeEntry:
        w.text(p.text);
        break;
      case PiplValue::TwoShorts:
        w.u16(p.first);
        w.u16(p.second);
        break;
      case PiplValue::Long:
        w.u32(p.number);
        break;
      case PiplValue::Short:
        w.u16(static_cast<std::uint16_t>(p.number));
        break;
    }
    w.padTo(end);
  }
  return bytes;
}

}  // namespace boxwander
