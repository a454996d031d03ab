// Writes the property list's bytes to a file. Built and run on the build machine for the
// Windows module, whose resource compiler takes the bytes from that file: the resource and
// the Linux ".pipl" section come from the one description.
#include <cstdio>
#include <fstream>

#include "resources/pipl_bytes.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: pipl_writer OUTPUT\n");
    return 2;
  }
  static constexpr auto kBytes = boxwander::PiplBytes();
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(kBytes.data()),
            static_cast<std::streamsize>(kBytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "pipl_writer: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
