#pragma once

#include "host/pf_types.h"

namespace boxwander {

// A failure that unwinds a whole handler to the entry point, which returns code to the
// host. Raised only where the host cannot provide something the handler needs (a suite).
struct HostFailure {
  PF_Err code;
};

}  // namespace boxwander
