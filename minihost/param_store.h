#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "host/host_interface.h"
#include "minihost/host_time.h"
#include "minihost/ledger.h"

namespace boxwander::minihost {

// A parameter value in the form the host stores it: int32 for integer sliders, 16.16
// fixed sliders, popups (from 1), checkboxes (0/1) and path ids; double for float
// sliders; PF_Pixel for colours.
using ParamValue = std::variant<std::int32_t, double, PF_Pixel>;
// A value that varies with time (keyframes, expressions...).
using ParamSource = std::function<ParamValue(const HostTime&)>;

// 16.16 fixed point from a real value, rounded to the nearest step.
std::int32_t ToFixed(double value) noexcept;

// The parameters an effect declared through add_param, with a value source each. Index 0
// is the input layer; the effect's parameters are 1..count() in the order added. The
// stored definitions keep the declared ranges and defaults and take the UI changes made
// through PF_UpdateParamUI (flags and name), never a value.
class ParamStore {
 public:
  explicit ParamStore(Ledger& ledger) : ledger_(ledger) {}

  // add_param: appends a copy of def (index must be -1), texts included. A declared value
  // becomes the parameter's constant source.
  PF_Err add(PF_ParamIndex index, const PF_ParamDef& def);
  void clear();

  std::int32_t count() const noexcept { return static_cast<std::int32_t>(params_.size()); }
  // The definition as the host holds it now; throws std::out_of_range for a bad index.
  const PF_ParamDef& def(PF_ParamIndex index) const;
  // Choice text of a popup, label of a checkbox (empty for other types).
  const std::string& text(PF_ParamIndex index) const;

  // Throws std::out_of_range for a bad index, std::invalid_argument when a constant's
  // form does not fit the parameter's type. Every change counts for PF_HasParamChanged.
  void set(PF_ParamIndex index, ParamValue value);
  void set(PF_ParamIndex index, ParamSource source);
  // The value at a time; throws like set() when the source gives the wrong form.
  ParamValue valueAt(PF_ParamIndex index, const HostTime& time) const;

  // The definition with its value at time, as a checkout hands it out, without counting
  // one (the parameter array of a command). Throws like valueAt().
  PF_ParamDef defAt(PF_ParamIndex index, const HostTime& time) const;

  // checkout_param: for index 1..count() the stored definition with the value at time;
  // for index 0 an input-layer definition whose world the caller fills in.
  PF_Err checkout(PF_ParamIndex index, const HostTime& time, PF_ParamDef& out);
  void checkin();
  // The indices checked out since the last take, in order; taking empties the list (the
  // host takes it after every command).
  std::vector<PF_ParamIndex> takeCheckouts() noexcept { return std::exchange(checkouts_, {}); }
  std::int64_t outstandingCheckouts() const noexcept { return outstanding_; }

  // PF_UpdateParamUI: takes ui_flags and the name from def.
  PF_Err updateUI(PF_ParamIndex index, const PF_ParamDef& def);

  // The parameter state: a record of the changes so far, compared by PF_HasParamChanged.
  void writeState(PF_State& state) const noexcept;
  bool changedSince(const PF_State& state) const noexcept;

 private:
  struct Param {
    PF_ParamDef def{};
    std::string text;  // popup choices or checkbox label, owned here
    ParamSource source;
  };
  Param& at(PF_ParamIndex index);
  const Param& at(PF_ParamIndex index) const;
  static bool Fits(PF_ParamType type, const ParamValue& value) noexcept;
  static void Store(PF_ParamDef& def, const ParamValue& value) noexcept;

  Ledger& ledger_;
  std::vector<std::unique_ptr<Param>> params_;  // stable addresses for the texts
  std::int64_t outstanding_ = 0;
  std::vector<PF_ParamIndex> checkouts_;
  std::uint32_t generation_ = 1;  // never 0, so a zeroed state always counts as changed
};

}  // namespace boxwander::minihost
