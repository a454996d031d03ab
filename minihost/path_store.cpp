#include "minihost/path_store.h"

#include <stdexcept>
#include <string>

#include "minihost/scaled_path.h"

namespace boxwander::minihost {

PathStore::~PathStore() {
  for (auto& [outline, c] : checkouts_) {
    for (auto& [key, prep] : c->preps) {
      c->path->releaseSegment(prep->segment, prep->token);
    }
  }
}

void PathStore::set(PF_PathID id, std::shared_ptr<MaskPath> path) {
  set(id, PathSource([path](const HostTime&) { return path; }));
}

void PathStore::set(PF_PathID id, PathSource source) {
  setScaled(id,
            [source = std::move(source)](const HostTime& time, double sx,
                                         double sy) -> std::shared_ptr<MaskPath> {
              std::shared_ptr<MaskPath> path = source(time);
              if (!path || (sx == 1.0 && sy == 1.0)) {
                return path;
              }
              return std::make_shared<ScaledPath>(std::move(path), sx, sy);
            });
}

void PathStore::setScaled(PF_PathID id, ScaledPathSource source) {
  if (id == 0) {
    throw std::invalid_argument("path id 0 means no mask");
  }
  sources_[id] = std::move(source);
}

void PathStore::remove(PF_PathID id) {
  sources_.erase(id);
}

PF_Err PathStore::checkout(PF_PathID id, const HostTime& time, double sx, double sy,
                           PF_PathOutlinePtr* path) {
  if (path == nullptr) {
    ledger_.misbehaviour("PF_CheckoutPath without a place for the path");
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  *path = nullptr;
  const auto it = sources_.find(id);
  if (it == sources_.end()) {
    return PF_Err_NONE;
  }
  std::shared_ptr<MaskPath> served = it->second(time, sx, sy);
  if (!served) {
    return PF_Err_NONE;  // no mask at this time
  }
  auto c = std::make_unique<Checkout>();
  c->id = id;
  c->path = std::move(served);
  // The record's address is the token the effect holds.
  auto* outline = reinterpret_cast<PF_PathOutlinePtr>(c.get());
  checkouts_.emplace(outline, std::move(c));
  ledger_.pathCheckedOut(outline, id);
  *path = outline;
  return PF_Err_NONE;
}

PF_Err PathStore::checkin(PF_PathID id, PF_PathOutlinePtr path) {
  if (path == nullptr) {
    return PF_Err_NONE;
  }
  const auto it = checkouts_.find(path);
  if (it == checkouts_.end()) {
    ledger_.pathCheckedIn(path);  // records the misbehaviour
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  Checkout& c = *it->second;
  if (c.id != id) {
    ledger_.misbehaviour("PF_CheckinPath of path " + std::to_string(c.id) + " under id " +
                         std::to_string(id));
  }
  if (!c.preps.empty()) {
    ledger_.misbehaviour(std::to_string(c.preps.size()) +
                         " segment preparations not cleaned up before PF_CheckinPath");
    for (auto& [key, prep] : c.preps) {
      c.path->releaseSegment(prep->segment, prep->token);
    }
  }
  checkouts_.erase(it);
  ledger_.pathCheckedIn(path);
  return PF_Err_NONE;
}

PathStore::Checkout* PathStore::find(PF_PathOutlinePtr path, const char* op) {
  const auto it = checkouts_.find(path);
  if (it == checkouts_.end()) {
    ledger_.misbehaviour(std::string(op) + " on a path that is not checked out");
    return nullptr;
  }
  return it->second.get();
}

PathStore::Prep* PathStore::findPrep(Checkout& c, PF_PathSegPrepPtr* prep, std::int32_t segment,
                                     const char* op) {
  if (prep == nullptr) {
    ledger_.misbehaviour(std::string(op) + " without a preparation");
    return nullptr;
  }
  const auto it = c.preps.find(reinterpret_cast<Prep*>(*prep));
  if (it == c.preps.end()) {
    ledger_.misbehaviour(std::string(op) + " with a preparation this path did not make");
    return nullptr;
  }
  if (it->second->segment != segment) {
    ledger_.misbehaviour(std::string(op) + " of segment " + std::to_string(segment) +
                         " with the preparation of segment " + std::to_string(it->second->segment));
    return nullptr;
  }
  return it->second.get();
}

PF_Err PathStore::numSegments(PF_PathOutlinePtr path, std::int32_t* count) {
  Checkout* c = find(path, "PF_PathNumSegments");
  if (c == nullptr || count == nullptr) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  return c->path->segmentCount(*count);
}

PF_Err PathStore::prepare(PF_PathOutlinePtr path, std::int32_t segment, std::int32_t frequency,
                          PF_PathSegPrepPtr* prep) {
  Checkout* c = find(path, "PF_PathPrepareSegLength");
  if (c == nullptr || prep == nullptr) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  std::int32_t count = 0;
  PF_Err err = c->path->segmentCount(count);
  if (err == PF_Err_NONE && (segment < 0 || segment >= count)) {
    ledger_.misbehaviour("PF_PathPrepareSegLength of segment " + std::to_string(segment) + " of " +
                         std::to_string(count));
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  auto p = std::make_unique<Prep>(Prep{c, segment, nullptr});
  if (err == PF_Err_NONE) {
    err = c->path->prepareSegment(segment, frequency, p->token);
  }
  if (err != PF_Err_NONE) {
    return err;
  }
  Prep* key = p.get();
  c->preps.emplace(key, std::move(p));
  *prep = reinterpret_cast<PF_PathSegPrepPtr>(key);
  return PF_Err_NONE;
}

PF_Err PathStore::length(PF_PathOutlinePtr path, std::int32_t segment, PF_PathSegPrepPtr* prep,
                         double* length) {
  Checkout* c = find(path, "PF_PathGetSegLength");
  Prep* p = c == nullptr ? nullptr : findPrep(*c, prep, segment, "PF_PathGetSegLength");
  if (p == nullptr || length == nullptr) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  return c->path->segmentLength(segment, p->token, *length);
}

PF_Err PathStore::eval(PF_PathOutlinePtr path, PF_PathSegPrepPtr* prep, std::int32_t segment,
                       double t, double* x, double* y, double* dx, double* dy) {
  Checkout* c = find(path, "PF_PathEvalSegLengthDeriv1");
  Prep* p = c == nullptr ? nullptr : findPrep(*c, prep, segment, "PF_PathEvalSegLengthDeriv1");
  if (p == nullptr || x == nullptr || y == nullptr || dx == nullptr || dy == nullptr) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  PathPoint point;
  const PF_Err err = c->path->evaluateAt(segment, p->token, t, point);
  if (err == PF_Err_NONE) {
    *x = point.x;
    *y = point.y;
    *dx = point.dx;
    *dy = point.dy;
  }
  return err;
}

PF_Err PathStore::cleanup(PF_PathOutlinePtr path, std::int32_t segment, PF_PathSegPrepPtr* prep) {
  Checkout* c = find(path, "PF_PathCleanupSegLength");
  Prep* p = c == nullptr ? nullptr : findPrep(*c, prep, segment, "PF_PathCleanupSegLength");
  if (p == nullptr) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  const PF_Err err = c->path->releaseSegment(segment, p->token);
  c->preps.erase(p);
  *prep = nullptr;
  return err;
}

std::size_t PathStore::livePreparations() const noexcept {
  std::size_t n = 0;
  for (const auto& [outline, c] : checkouts_) {
    n += c->preps.size();
  }
  return n;
}

}  // namespace boxwander::minihost
