#pragma once

#include <gtest/gtest.h>

#include <string>

#include "minihost/load_error.h"
#include "minihost/module_file.h"

namespace boxwander::minihost {

// The file is refused with the given kind, in one line that starts with its name.
inline void ExpectRefused(const std::string& path, LoadError::Kind kind) {
  try {
    ModuleFile module(path);
    ADD_FAILURE() << path << ": loaded";
  } catch (const LoadError& e) {
    EXPECT_EQ(e.kind(), kind) << path << ": " << e.what();
    EXPECT_EQ(std::string(e.what()).rfind(path + ": ", 0), 0u) << e.what();
    EXPECT_EQ(std::string(e.what()).find('\n'), std::string::npos);
  }
}

}  // namespace boxwander::minihost
