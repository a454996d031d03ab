#pragma once

#include <string>

#include "cli/common/cli_error.h"

namespace boxwander::cli {

// Runs `parse` and returns the message it failed with, or "" when it succeeded.
template <class F>
std::string FailureOf(F parse) {
  try {
    parse();
  } catch (const CliError& e) {
    return e.what();
  }
  return "";
}

}  // namespace boxwander::cli
