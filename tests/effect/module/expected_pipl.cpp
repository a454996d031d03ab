#include "tests/effect/module/expected_pipl.h"

#include <gtest/gtest.h>

#include <string>

namespace boxwander::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

template <std::size_t N>
Bytes B(const char (&text)[N]) {  // the literal's bytes, without its own terminator
  return Bytes(text, text + N - 1);
}

Bytes Le32(std::uint32_t v) {
  return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
          static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

// Each property as it must stand in the file: vendor and key with their characters
// reversed, id 0, the data length, then the data padded with zeros to a multiple of 4.
struct PropertyCase {
  const char* name;
  Bytes vendorKey;
  std::uint32_t length;
  Bytes paddedData;
};

}  // namespace

void ExpectBoxwanderPropertyList(const Bytes& pipl) {
  const std::vector<PropertyCase> expected = {
      {"Kind eFKT", B("MIB8dnik"), 4, B("TKFe")},
      {"Name", B("MIB8eman"), 12,
       B("\x09"
         "Boxwander\0\0")},
      {"Category", B("MIB8gtac"), 8,
       B("\x06"
         "Ostrel\0")},
      {"Code entry", B("MIB868xw"), 16, B("EntryPointFunc\0\0")},
      {"PiPL version", B("MIB8RVPe"), 4, B("\x02\0\0\0")},
      {"Effect spec version", B("MIB8RVSe"), 4, B("\x0c\0\x0a\0")},
      {"Effect version", B("MIB8REVe"), 4, Le32(0x00080601)},
      {"Info flags", B("MIB8FNIe"), 2, B("\0\0\0\0")},
      {"Global out flags", B("MIB8OLGe"), 4, Le32(0x06000040)},
      {"Global out flags 2", B("MIB82LGe"), 4, Le32(0x00001400)},
      {"Match name", B("MIB8ANMe"), 24,
       B("\x14"
         "Boxwander by Ludmere\0\0\0")},
      {"Reserved info", B("MIB8LFea"), 4, Le32(8)},
  };

  ASSERT_GE(pipl.size(), 10u);
  EXPECT_EQ(Bytes(pipl.begin(), pipl.begin() + 10), B("\x01\0"
                                                      "\0\0\0\0"
                                                      "\x0c\0\0\0"))
      << "resource version 1, list version 0, 12 properties";

  std::size_t at = 10;
  for (const PropertyCase& c : expected) {
    SCOPED_TRACE(c.name);
    const std::size_t size = 16 + c.paddedData.size();
    ASSERT_LE(at + size, pipl.size());
    const Bytes got(pipl.begin() + static_cast<std::ptrdiff_t>(at),
                    pipl.begin() + static_cast<std::ptrdiff_t>(at + size));
    Bytes want = c.vendorKey;
    const Bytes id = Le32(0);
    const Bytes length = Le32(c.length);
    want.insert(want.end(), id.begin(), id.end());
    want.insert(want.end(), length.begin(), length.end());
    want.insert(want.end(), c.paddedData.begin(), c.paddedData.end());
    EXPECT_EQ(got, want);
    at += size;
  }
  EXPECT_EQ(at, 294u);
  EXPECT_EQ(pipl.size(), at) << "nothing follows the list";
}

}  // namespace boxwander::test
