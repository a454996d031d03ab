#pragma once

#include <stdexcept>
#include <string>

namespace boxwander::cli {

// A problem with the user's input, told in one line: the tool prints what() and exits
// with a non-zero status.
class CliError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace boxwander::cli
