#include "minihost/property_list.h"

#include <gtest/gtest.h>

#include <functional>

#include "byte_writer.h"
#include "minihost/load_error.h"

namespace boxwander::minihost {
namespace {

// One property: codes written as 32-bit numbers (so reversed in the file), data padded
// with zeros to a multiple of 4.
void Property(ByteWriter& w, const char (&vendor)[5], const char (&key)[5],
              const std::vector<std::uint8_t>& data) {
  w.u32(FourCC(vendor)).u32(FourCC(key)).u32(0).u32(static_cast<std::uint32_t>(data.size()));
  w.bytes.insert(w.bytes.end(), data.begin(), data.end());
  w.zeros((4 - data.size() % 4) % 4);
}

std::vector<std::uint8_t> Pascal(const std::string& s, std::size_t size) {
  std::vector<std::uint8_t> d(size, 0);
  d[0] = static_cast<std::uint8_t>(s.size());
  std::copy(s.begin(), s.end(), d.begin() + 1);
  return d;
}

// Kind, name, code entry, a version pair and a two-byte property last (so the list ends
// with padding).
std::vector<std::uint8_t> GoodList() {
  ByteWriter w;
  w.u16(1).u32(0).u32(5);
  Property(w, "8BIM", "kind", {'T', 'K', 'F', 'e'});
  Property(w, "8BIM", "name", Pascal("Boxwander", 12));
  std::vector<std::uint8_t> entry(16, 0);
  const std::string name = "EntryPointFunc";
  std::copy(name.begin(), name.end(), entry.begin());
  Property(w, "8BIM", "wx86", entry);
  Property(w, "8BIM", "eSVR", {12, 0, 10, 0});
  Property(w, "8BIM", "eINF", {0, 0});
  return w.bytes;
}

TEST(PropertyListTest, DecodesEveryPropertyInFileOrder) {
  std::vector<std::uint8_t> aligned = GoodList();
  aligned.resize(aligned.size() + 8, 0);  // section alignment
  for (const auto& bytes : {GoodList(), aligned}) {
    const PropertyList list = DecodePropertyList(bytes);
    EXPECT_EQ(list.resourceVersion, 1);
    EXPECT_EQ(list.listVersion, 0u);
    ASSERT_EQ(list.properties.size(), 5u);
    const char* keys[] = {"kind", "name", "wx86", "eSVR", "eINF"};
    for (std::size_t i = 0; i < 5; ++i) {
      EXPECT_EQ(FourCCText(list.properties[i].vendor), "8BIM");
      EXPECT_EQ(FourCCText(list.properties[i].key), keys[i]);
    }
    EXPECT_EQ(list.word32(FourCC("kind")), FourCC("eFKT"));
    EXPECT_EQ(list.pascalString(FourCC("name")), "Boxwander");
    EXPECT_EQ(list.codeEntry(), "EntryPointFunc");
    EXPECT_EQ(list.word16(FourCC("eSVR"), 0), 12);
    EXPECT_EQ(list.word16(FourCC("eSVR"), 2), 10);
    EXPECT_EQ(list.find(FourCC("eINF"))->data.size(), 2u);  // padding is not data
    EXPECT_EQ(list.find(FourCC("eMNA")), nullptr);
  }
}

TEST(PropertyListTest, MalformedListsAreRejected) {
  const std::size_t last = GoodList().size() - 4 - 16;  // start of the eINF property
  struct Case {
    const char* name;
    std::function<void(std::vector<std::uint8_t>&)> damage;
  };
  const Case cases[] = {
      {"empty", [](auto& b) { b.clear(); }},
      {"truncated header", [](auto& b) { b.resize(9); }},
      {"resource version 2", [](auto& b) { b[0] = 2; }},
      {"count one too many", [](auto& b) { b[6] = 6; }},
      {"count far too many", [](auto& b) { b[9] = 0x7F; }},
      {"length past the end", [&](auto& b) { b[last + 12] = 40; }},
      {"length near 2^32", [&](auto& b) { b[last + 15] = 0xFF; }},
      {"last padding missing", [](auto& b) { b.resize(b.size() - 2); }},
      {"non-zero padding", [](auto& b) { b.back() = 1; }},
      {"count one too few", [](auto& b) { b[6] = 4; }},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> bytes = GoodList();
    c.damage(bytes);
    try {
      DecodePropertyList(bytes);
      ADD_FAILURE() << c.name << ": accepted";
    } catch (const LoadError& e) {
      EXPECT_EQ(e.kind(), LoadError::Kind::kMalformedPropertyList) << c.name;
    }
  }
}

TEST(PropertyListTest, CodeEntryMustBeATerminatedName) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> entry;  // nullopt-like: empty vector means no wx86 at all
  };
  const Case cases[] = {
      {"no code entry", {}},
      {"unterminated", {'E', 'n', 't', 'r'}},
      {"empty name", {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    ByteWriter w;
    w.u16(1).u32(0).u32(c.entry.empty() ? 1 : 2);
    Property(w, "8BIM", "kind", {'T', 'K', 'F', 'e'});
    if (!c.entry.empty()) {
      Property(w, "8BIM", "wx86", c.entry);
    }
    const PropertyList list = DecodePropertyList(w.bytes);
    try {
      list.codeEntry();
      ADD_FAILURE() << c.name << ": accepted";
    } catch (const LoadError& e) {
      EXPECT_EQ(e.kind(), LoadError::Kind::kEntryNotFound) << c.name;
    }
  }
}

}  // namespace
}  // namespace boxwander::minihost
