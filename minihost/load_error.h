#pragma once

#include <stdexcept>
#include <string>

namespace boxwander::minihost {

// Why a module could not be loaded. Thrown by the loading steps with a one-line message
// that names the file, so a tool can print it as it stands.
class LoadError : public std::runtime_error {
 public:
  enum class Kind {
    kFileMissing,     // the file cannot be opened or read
    kNotElf,          // not a 64-bit little-endian ELF file, or its headers are damaged
    kNotPe,           // not a PE DLL, or its headers are damaged
    kWrongMachine,    // a PE DLL built for another machine than x86-64
    kNoPropertyList,  // no .pipl section, or no "PIPL" resource
    kMalformedPropertyList,
    kEntryNotFound,  // no code entry in the property list, or no such symbol
    kLoadFailed,     // the dynamic loader refused the file
  };

  LoadError(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}

  Kind kind() const noexcept { return kind_; }

 private:
  Kind kind_;
};

}  // namespace boxwander::minihost
