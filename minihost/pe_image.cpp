#include "minihost/pe_image.h"

#include <cstdio>
#include <string>

#include "minihost/load_error.h"

namespace boxwander::minihost {
namespace {

constexpr std::size_t kDosHeaderSize = 64;
constexpr std::size_t kNewHeaderPointer = 0x3C;
constexpr std::size_t kFileHeaderSize = 4 + 20;  // signature, then the COFF file header
constexpr std::uint16_t kMachineX64 = 0x8664;
constexpr std::uint16_t kCharacteristicDll = 0x2000;
constexpr std::uint16_t kMagicPe32Plus = 0x20B;

std::uint32_t ReadLE(std::span<const std::uint8_t> image, std::size_t offset, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) {
    value = (value << 8) | image[offset + static_cast<std::size_t>(i)];
  }
  return value;
}

[[noreturn]] void NotPe(const std::string& what) {
  throw LoadError(LoadError::Kind::kNotPe, what);
}

std::string MachineName(std::uint16_t machine) {
  switch (machine) {
    case 0x014C:
      return "x86 (32-bit)";
    case 0x01C0:
    case 0x01C4:
      return "ARM (32-bit)";
    case 0xAA64:
      return "ARM64";
    case 0x0200:
      return "Itanium";
    default: {
      char code[16];
      std::snprintf(code, sizeof code, "0x%04X", static_cast<unsigned>(machine));
      return std::string("machine type ") + code;
    }
  }
}

}  // namespace

void CheckPeModule(std::span<const std::uint8_t> image) {
  if (image.size() < kDosHeaderSize || image[0] != 'M' || image[1] != 'Z') {
    NotPe("not a PE file");
  }
  const std::size_t header = ReadLE(image, kNewHeaderPointer, 4);
  // The optional header's magic is the first field after the file header.
  if (header > image.size() || image.size() - header < kFileHeaderSize + 2) {
    NotPe("not a usable PE file: headers outside the file");
  }
  if (image[header] != 'P' || image[header + 1] != 'E' || image[header + 2] != 0 ||
      image[header + 3] != 0) {
    NotPe("not a PE file: a DOS program");
  }
  const auto machine = static_cast<std::uint16_t>(ReadLE(image, header + 4, 2));
  const auto optionalSize = ReadLE(image, header + 4 + 16, 2);
  const auto characteristics = static_cast<std::uint16_t>(ReadLE(image, header + 4 + 18, 2));
  if (machine != kMachineX64) {
    throw LoadError(LoadError::Kind::kWrongMachine,
                    "built for " + MachineName(machine) + ", not x86-64");
  }
  if (optionalSize < 2 || ReadLE(image, header + kFileHeaderSize, 2) != kMagicPe32Plus) {
    NotPe("not a usable PE file: no 64-bit optional header");
  }
  if ((characteristics & kCharacteristicDll) == 0) {
    NotPe("a program, not a DLL");
  }
}

}  // namespace boxwander::minihost
