#pragma once

#include "host/host_interface.h"

namespace boxwander {

using SprintfFn = decltype(PF_ANSICallbacks::sprintf);
using StrcpyFn = decltype(PF_ANSICallbacks::strcpy);

// The host's text functions from in-data; null when it hands in none.
SprintfFn HostSprintf(const PF_InData* in_data) noexcept;
StrcpyFn HostStrcpy(const PF_InData* in_data) noexcept;

// Writes text (null: empty) into out_data->return_msg through the host's sprintf, always
// with the format "%s", so caller text is never read as a format. A text longer than the
// field is cut at a character boundary to fit with its terminating zero. Without a
// sprintf the text is copied directly.
void WriteReturnMessage(SprintfFn sprintf, PF_OutData& out_data, const char* text);

// The same through the host's strcpy.
void CopyReturnMessage(StrcpyFn strcpy, PF_OutData& out_data, const char* text);

}  // namespace boxwander
