#pragma once

#include "host/host_interface.h"

namespace boxwander::minihost {

struct HostFrame;  // the frame being rendered (minihost/host_frame.h)

// What the host's callbacks see of the command the module is running: which command it
// is, its out-data and, while a frame renders, that frame. The host sets it around every
// call into the module; between commands it is as default-constructed.
struct CommandState {
  PF_Cmd cmd = -1;             // the command under way, -1 between commands
  bool inRelease = false;      // the pre-render data's release routine runs
  PF_OutData* out = nullptr;   // the command's out-data
  HostFrame* frame = nullptr;  // from smart pre-render to the release routine
};

}  // namespace boxwander::minihost
