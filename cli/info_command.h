#pragma once

#include <string>

namespace boxwander::cli {

// Prints the module's decoded property list and the parameters it declares (name, type,
// ranges, default) on stdout; given an .svg file instead, the shapes and subpaths it draws
// and how to pick each as a mask. Returns the exit status; errors are one line on stderr.
int RunInfo(const std::string& module);

}  // namespace boxwander::cli
