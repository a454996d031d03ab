#pragma once

#include "host/host_interface.h"
#include "render/pre_render_data.h"

namespace boxwander {

// Merges source into destination in place: an empty destination takes all of source
// (even an empty one); an empty source leaves a non-empty destination as it is; otherwise
// the smallest rectangle holding both.
void UnionRect(const PF_LRect& source, PF_LRect& destination) noexcept;

// The control values held by parameter definitions indexed by ParamIndex (entry 0, the
// layer, is not read).
ControlValues ControlsOf(const PF_ParamDef* defs);

// Handed to the host with the pre-render data: disposes of the record's handle once the
// matching smart render is over.
void ReleasePreRenderData(void* pre_render_data, const PF_InData* in_data);

}  // namespace boxwander
