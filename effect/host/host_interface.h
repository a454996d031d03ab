#pragma once

// Boxwander's view of the compositing host's effect interface: the records, callbacks,
// suites, codes and flags the effect uses, and nothing more. Both the module and any host
// that loads it compile against these declarations.

#include "host/pf_callbacks.h"
#include "host/pf_entry.h"
#include "host/pf_in_out_data.h"
#include "host/pf_param_def.h"
#include "host/pf_smart_render.h"
#include "host/pf_suites.h"
#include "host/pf_types.h"
#include "host/pf_world.h"
