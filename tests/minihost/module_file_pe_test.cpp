// Loading DLL modules: each way a file can fail to be a module for this host is refused
// with its own kind and one line naming the file. The bad files are the fixture DLL with
// one thing changed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>

#include "minihost/file_bytes.h"
#include "minihost/load_error.h"
#include "minihost/module_file.h"
#include "refused_module.h"
#include "temp_file.h"

namespace boxwander::minihost {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Replaces every occurrence of `from` in the bytes by `to` (of the same length); fails
// the test when there is none.
Bytes Replaced(Bytes bytes, const std::string& from, const std::string& to) {
  bool any = false;
  for (auto at = bytes.begin();
       (at = std::search(at, bytes.end(), from.begin(), from.end())) != bytes.end();) {
    at = std::copy(to.begin(), to.end(), at);
    any = true;
  }
  EXPECT_TRUE(any) << "no " << from;
  return bytes;
}

std::string Utf16(const std::string& ascii) {
  std::string wide;
  for (char c : ascii) {
    wide += c;
    wide += '\0';
  }
  return wide;
}

Bytes WithMachine(Bytes bytes, std::uint16_t machine) {
  const std::size_t header = bytes[0x3C] | (bytes[0x3D] << 8);
  bytes[header + 4] = static_cast<std::uint8_t>(machine);
  bytes[header + 5] = static_cast<std::uint8_t>(machine >> 8);
  return bytes;
}

TEST(WindowsModuleFileTest, EachLoadingFailureHasItsKindAndNamesTheFile) {
  const Bytes fixture = ReadFileBytes(FIXTURE_MODULE_PATH);
  const TempFile text("text.aex", {'h', 'e', 'l', 'l', 'o'});
  const TempFile arm64("arm64.aex", WithMachine(fixture, 0xAA64));
  // The resource type's name is kept in the file as UTF-16.
  const TempFile noPipl("no_pipl.aex", Replaced(fixture, Utf16("PIPL"), Utf16("PIPX")));
  // A list that claims nine properties and holds two.
  const TempFile badPipl("bad_pipl.aex", Replaced(fixture, std::string("\x02\0\0\0MIB8", 8),
                                                  std::string("\x09\0\0\0MIB8", 8)));
  // Readable as a module, with its list, but it imports a DLL that no system has.
  const TempFile notLoadable("not_loadable.aex", Replaced(fixture, "KERNEL32.dll", "KERNEL99.dll"));
  struct Case {
    std::string path;
    LoadError::Kind kind;
  };
  const Case cases[] = {
      {(std::filesystem::temp_directory_path() / "nonexistent" / "Boxwander.aex").string(),
       LoadError::Kind::kFileMissing},
      {std::filesystem::temp_directory_path().string(), LoadError::Kind::kFileMissing},
      {text.path(), LoadError::Kind::kNotPe},
      {arm64.path(), LoadError::Kind::kWrongMachine},
      {noPipl.path(), LoadError::Kind::kNoPropertyList},
      {badPipl.path(), LoadError::Kind::kMalformedPropertyList},
      {notLoadable.path(), LoadError::Kind::kLoadFailed},
  };
  for (const Case& c : cases) {
    ExpectRefused(c.path, c.kind);
  }
}

TEST(WindowsModuleFileTest, LoadsTheEntryNamedByThePropertyList) {
  const ModuleFile module(FIXTURE_MODULE_PATH);
  EXPECT_EQ(module.entryName(), "EntryPointFunc");
  EXPECT_NE(module.entry(), nullptr);

  // The same module whose list names another entry: found in the list, not in the module.
  const std::string entry =
      std::string("68xw") + std::string(4, '\0') + '\x10' + std::string(3, '\0') + "EntryPointFunc";
  std::string renamedEntry = entry;
  renamedEntry.back() = 'X';
  const TempFile renamed("renamed_entry.aex",
                         Replaced(ReadFileBytes(FIXTURE_MODULE_PATH), entry, renamedEntry));
  EXPECT_EQ(ReadPropertyList(renamed.path()).codeEntry(), "EntryPointFunX");
  try {
    ModuleFile m(renamed.path());
    ADD_FAILURE() << "loaded";
  } catch (const LoadError& e) {
    EXPECT_EQ(e.kind(), LoadError::Kind::kEntryNotFound);
    EXPECT_EQ(std::string(e.what()),
              renamed.path() + ": the module exports no EntryPointFunX named by its property list");
  }
}

}  // namespace
}  // namespace boxwander::minihost
