#include "minihost/pe_image.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "minihost/load_error.h"

namespace boxwander::minihost {
namespace {

constexpr std::size_t kHeader = 0x40;

void Put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

// The headers of a 64-bit x86-64 DLL: DOS stub pointer, signature, file header and an
// optional header of the usual size (contents beyond its magic do not matter here).
std::vector<std::uint8_t> MakePe() {
  std::vector<std::uint8_t> b(kHeader + 24 + 240, 0);
  b[0] = 'M';
  b[1] = 'Z';
  b[0x3C] = kHeader;
  b[kHeader] = 'P';
  b[kHeader + 1] = 'E';
  Put16(b, kHeader + 4, 0x8664);   // machine
  Put16(b, kHeader + 20, 240);     // optional header size
  Put16(b, kHeader + 22, 0x2022);  // characteristics: a DLL
  Put16(b, kHeader + 24, 0x20B);   // PE32+
  return b;
}

TEST(PeImageTest, A64BitDllPasses) {
  EXPECT_NO_THROW(CheckPeModule(MakePe()));
}

TEST(PeImageTest, EachRefusalHasItsKindAndSaysWhy) {
  struct Case {
    const char* name;
    std::function<void(std::vector<std::uint8_t>&)> change;
    LoadError::Kind kind;
    const char* says;
  };
  const Case cases[] = {
      {"text",
       [](auto& b) {
         b.assign({'h', 'e', 'l', 'l', 'o'});
       },
       LoadError::Kind::kNotPe, "not a PE file"},
      {"no MZ", [](auto& b) { b[0] = 'X'; }, LoadError::Kind::kNotPe, "not a PE file"},
      {"cut inside the DOS header", [](auto& b) { b.resize(0x30); }, LoadError::Kind::kNotPe,
       "not a PE file"},
      {"headers past the end", [](auto& b) { b.resize(kHeader + 10); }, LoadError::Kind::kNotPe,
       "outside the file"},
      {"header pointer near 2^32",
       [](auto& b) {
         Put16(b, 0x3C, 0xFFF0);
         Put16(b, 0x3E, 0xFFFF);
       },
       LoadError::Kind::kNotPe, "outside the file"},
      {"DOS program", [](auto& b) { b[kHeader] = 'N'; }, LoadError::Kind::kNotPe, "DOS program"},
      {"32-bit x86", [](auto& b) { Put16(b, kHeader + 4, 0x014C); }, LoadError::Kind::kWrongMachine,
       "built for x86 (32-bit), not x86-64"},
      {"ARM64", [](auto& b) { Put16(b, kHeader + 4, 0xAA64); }, LoadError::Kind::kWrongMachine,
       "built for ARM64, not x86-64"},
      {"unknown machine", [](auto& b) { Put16(b, kHeader + 4, 0x1234); },
       LoadError::Kind::kWrongMachine, "machine type 0x1234"},
      {"PE32 optional header", [](auto& b) { Put16(b, kHeader + 24, 0x10B); },
       LoadError::Kind::kNotPe, "no 64-bit optional header"},
      {"no optional header", [](auto& b) { Put16(b, kHeader + 20, 0); }, LoadError::Kind::kNotPe,
       "no 64-bit optional header"},
      {"a program", [](auto& b) { Put16(b, kHeader + 22, 0x0022); }, LoadError::Kind::kNotPe,
       "not a DLL"},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> image = MakePe();
    c.change(image);
    try {
      CheckPeModule(image);
      ADD_FAILURE() << c.name << ": passed";
    } catch (const LoadError& e) {
      EXPECT_EQ(e.kind(), c.kind) << c.name;
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos)
          << c.name << ": " << e.what();
    }
  }
}

}  // namespace
}  // namespace boxwander::minihost
