#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "geometry/mask_path.h"
#include "host/host_interface.h"
#include "minihost/host_time.h"
#include "minihost/ledger.h"

namespace boxwander::minihost {

// The mask path with a given id at a time, in full-resolution layer pixels.
using PathSource = std::function<std::shared_ptr<MaskPath>(const HostTime&)>;
// The same, already seen at a render's downsampling (sx, sy: 0.5 at half resolution), for
// a source that scales its own geometry as the compositing host scales a mask's vertices
// and handles, instead of having the host scale the served points.
using ScaledPathSource =
    std::function<std::shared_ptr<MaskPath>(const HostTime&, double sx, double sy)>;

// The host's mask paths and the path query and data suites' work on them. A checkout
// takes the path at the requested time, seen at the render's downsampling; it and every
// segment preparation are tracked until checked in and cleaned up.
class PathStore {
 public:
  explicit PathStore(Ledger& ledger) : ledger_(ledger) {}
  ~PathStore();
  PathStore(const PathStore&) = delete;
  PathStore& operator=(const PathStore&) = delete;

  // Id 0 means "no mask" to the effect and cannot be given a path.
  void set(PF_PathID id, std::shared_ptr<MaskPath> path);
  void set(PF_PathID id, PathSource source);  // scaled by the host (ScaledPath)
  void setScaled(PF_PathID id, ScaledPathSource source);
  void remove(PF_PathID id);

  // PF_CheckoutPath: null and no error for an id without a path. sx, sy: the render's
  // downsample factors.
  PF_Err checkout(PF_PathID id, const HostTime& time, double sx, double sy,
                  PF_PathOutlinePtr* path);
  // PF_CheckinPath; a null path (after a checkout that gave none) is accepted.
  PF_Err checkin(PF_PathID id, PF_PathOutlinePtr path);

  PF_Err numSegments(PF_PathOutlinePtr path, std::int32_t* count);
  PF_Err prepare(PF_PathOutlinePtr path, std::int32_t segment, std::int32_t frequency,
                 PF_PathSegPrepPtr* prep);
  PF_Err length(PF_PathOutlinePtr path, std::int32_t segment, PF_PathSegPrepPtr* prep,
                double* length);
  PF_Err eval(PF_PathOutlinePtr path, PF_PathSegPrepPtr* prep, std::int32_t segment, double t,
              double* x, double* y, double* dx, double* dy);
  PF_Err cleanup(PF_PathOutlinePtr path, std::int32_t segment, PF_PathSegPrepPtr* prep);

  std::size_t livePreparations() const noexcept;

 private:
  struct Checkout;
  struct Prep {
    Checkout* owner;
    std::int32_t segment;
    SegmentPrep token;
  };
  struct Checkout {
    PF_PathID id = 0;
    std::shared_ptr<MaskPath> path;
    std::map<Prep*, std::unique_ptr<Prep>> preps;
  };
  Checkout* find(PF_PathOutlinePtr path, const char* op);
  Prep* findPrep(Checkout& c, PF_PathSegPrepPtr* prep, std::int32_t segment, const char* op);

  Ledger& ledger_;
  std::map<PF_PathID, ScaledPathSource> sources_;
  std::map<PF_PathOutlinePtr, std::unique_ptr<Checkout>> checkouts_;
};

}  // namespace boxwander::minihost
