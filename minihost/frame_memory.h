#pragma once

namespace boxwander::minihost {

// Lets a process that renders frame after frame keep the memory of the frames it frees, for
// the next one. glibc hands every block above 32 MiB (a float HD frame and up) straight
// back to the system, so each new world then costs a fresh mapping and a page fault per
// page: more than half the time of a float render through the host. Call it once at the
// start of main; elsewhere it does nothing.
void KeepFrameMemory() noexcept;

}  // namespace boxwander::minihost
