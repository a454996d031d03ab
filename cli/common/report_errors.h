#pragma once

#include <cstdio>
#include <exception>
#include <new>
#include <utility>

#include "cli/common/cli_error.h"

namespace boxwander::cli {

// Runs a command's body and returns its status; what it throws is told on stderr in one
// line and the status is 1.
template <class F>
int RunReportingErrors(F&& body) {
  try {
    return std::forward<F>(body)();
  } catch (const CliError& e) {
    std::fprintf(stderr, "boxwander: %s\n", e.what());
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "boxwander: out of memory\n");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "boxwander: %s\n", e.what());
  }
  return 1;
}

}  // namespace boxwander::cli
