#include "minihost/param_store.h"

#include <cstring>
#include <stdexcept>

#include "common/truncate.h"

namespace boxwander::minihost {
namespace {

constexpr std::uint32_t kStateMagic = 0x42785374;  // "BxSt": a state this host wrote

ParamValue DeclaredValue(const PF_ParamDef& def) {
  switch (def.param_type) {
    case PF_Param_SLIDER:
      return def.u.sd.value;
    case PF_Param_FIX_SLIDER:
      return def.u.fd.value;
    case PF_Param_FLOAT_SLIDER:
      return def.u.fs_d.value;
    case PF_Param_POPUP:
      return def.u.pd.value;
    case PF_Param_CHECKBOX:
      return def.u.bd.value;
    case PF_Param_COLOR:
      return def.u.cd.value;
    default:
      return def.u.path_d.path_id;
  }
}

bool Supported(PF_ParamType type) {
  switch (type) {
    case PF_Param_SLIDER:
    case PF_Param_FIX_SLIDER:
    case PF_Param_FLOAT_SLIDER:
    case PF_Param_POPUP:
    case PF_Param_CHECKBOX:
    case PF_Param_COLOR:
    case PF_Param_PATH:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::int32_t ToFixed(double value) noexcept {
  return TruncateToInt32(value * 65536.0 + (value < 0.0 ? -0.5 : 0.5));
}

bool ParamStore::Fits(PF_ParamType type, const ParamValue& value) noexcept {
  switch (type) {
    case PF_Param_FLOAT_SLIDER:
      return std::holds_alternative<double>(value);
    case PF_Param_COLOR:
      return std::holds_alternative<PF_Pixel>(value);
    default:
      return std::holds_alternative<std::int32_t>(value);
  }
}

void ParamStore::Store(PF_ParamDef& def, const ParamValue& value) noexcept {
  switch (def.param_type) {
    case PF_Param_SLIDER:
      def.u.sd.value = std::get<std::int32_t>(value);
      break;
    case PF_Param_FIX_SLIDER:
      def.u.fd.value = std::get<std::int32_t>(value);
      break;
    case PF_Param_FLOAT_SLIDER:
      def.u.fs_d.value = std::get<double>(value);
      break;
    case PF_Param_POPUP:
      def.u.pd.value = std::get<std::int32_t>(value);
      break;
    case PF_Param_CHECKBOX:
      def.u.bd.value = std::get<std::int32_t>(value);
      break;
    case PF_Param_COLOR:
      def.u.cd.value = std::get<PF_Pixel>(value);
      break;
    case PF_Param_PATH:
      def.u.path_d.path_id = std::get<std::int32_t>(value);
      break;
    default:
      break;
  }
}

PF_Err ParamStore::add(PF_ParamIndex index, const PF_ParamDef& def) {
  if (index != -1) {
    ledger_.misbehaviour("add_param at index " + std::to_string(index) + " instead of -1");
    return PF_Err_INVALID_INDEX;
  }
  if (!Supported(def.param_type)) {
    ledger_.misbehaviour("add_param of unsupported type " + std::to_string(def.param_type));
    return PF_Err_UNRECOGNIZED_PARAM_TYPE;
  }
  auto p = std::make_unique<Param>();
  p->def = def;
  if (std::memchr(def.name, '\0', sizeof def.name) == nullptr) {
    ledger_.misbehaviour("add_param with an unterminated name");
    p->def.name[sizeof p->def.name - 1] = '\0';
  }
  // The texts are read during the call only: keep copies and point at them.
  if (def.param_type == PF_Param_POPUP) {
    p->text = def.u.pd.namesptr != nullptr ? def.u.pd.namesptr : "";
    p->def.u.pd.namesptr = p->text.c_str();
  } else if (def.param_type == PF_Param_CHECKBOX) {
    p->text = def.u.bd.nameptr != nullptr ? def.u.bd.nameptr : "";
    p->def.u.bd.nameptr = p->text.c_str();
  }
  const ParamValue initial = DeclaredValue(p->def);
  p->source = [initial](const HostTime&) { return initial; };
  params_.push_back(std::move(p));
  return PF_Err_NONE;
}

void ParamStore::clear() {
  params_.clear();
  outstanding_ = 0;
  ++generation_;
}

ParamStore::Param& ParamStore::at(PF_ParamIndex index) {
  if (index < 1 || index > count()) {
    throw std::out_of_range("no parameter " + std::to_string(index));
  }
  return *params_[static_cast<std::size_t>(index - 1)];
}

const ParamStore::Param& ParamStore::at(PF_ParamIndex index) const {
  return const_cast<ParamStore*>(this)->at(index);
}

const PF_ParamDef& ParamStore::def(PF_ParamIndex index) const {
  return at(index).def;
}

const std::string& ParamStore::text(PF_ParamIndex index) const {
  return at(index).text;
}

void ParamStore::set(PF_ParamIndex index, ParamValue value) {
  Param& p = at(index);
  if (!Fits(p.def.param_type, value)) {
    throw std::invalid_argument("value does not fit parameter " + std::to_string(index));
  }
  p.source = [value](const HostTime&) { return value; };
  ++generation_;
}

void ParamStore::set(PF_ParamIndex index, ParamSource source) {
  at(index).source = std::move(source);
  ++generation_;
}

ParamValue ParamStore::valueAt(PF_ParamIndex index, const HostTime& time) const {
  const Param& p = at(index);
  ParamValue value = p.source(time);
  if (!Fits(p.def.param_type, value)) {
    throw std::invalid_argument("value source of parameter " + std::to_string(index) +
                                " gives the wrong form");
  }
  return value;
}

PF_ParamDef ParamStore::defAt(PF_ParamIndex index, const HostTime& time) const {
  PF_ParamDef def = at(index).def;
  Store(def, valueAt(index, time));
  return def;
}

PF_Err ParamStore::checkout(PF_ParamIndex index, const HostTime& time, PF_ParamDef& out) {
  if (index == 0) {
    out = {};
    out.param_type = PF_Param_LAYER;
    checkouts_.push_back(0);
    ++outstanding_;
    return PF_Err_NONE;
  }
  if (index < 1 || index > count()) {
    ledger_.misbehaviour("checkout_param of unknown index " + std::to_string(index));
    return PF_Err_INVALID_INDEX;
  }
  out = defAt(index, time);
  checkouts_.push_back(index);
  ++outstanding_;
  return PF_Err_NONE;
}

void ParamStore::checkin() {
  if (outstanding_ == 0) {
    ledger_.misbehaviour("checkin_param without a matching checkout_param");
    return;
  }
  --outstanding_;
}

PF_Err ParamStore::updateUI(PF_ParamIndex index, const PF_ParamDef& def) {
  if (index < 1 || index > count()) {
    ledger_.misbehaviour("PF_UpdateParamUI of unknown index " + std::to_string(index));
    return PF_Err_INVALID_INDEX;
  }
  Param& p = at(index);
  if (def.param_type != p.def.param_type) {
    ledger_.misbehaviour("PF_UpdateParamUI of parameter " + std::to_string(index) +
                         " with another type");
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  p.def.ui_flags = def.ui_flags;
  std::memcpy(p.def.name, def.name, sizeof p.def.name);
  if (std::memchr(def.name, '\0', sizeof def.name) == nullptr) {
    ledger_.misbehaviour("PF_UpdateParamUI with an unterminated name");
    p.def.name[sizeof p.def.name - 1] = '\0';
  }
  return PF_Err_NONE;
}

void ParamStore::writeState(PF_State& state) const noexcept {
  state = {};
  state.reserved[0] = kStateMagic;
  state.reserved[1] = generation_;
}

bool ParamStore::changedSince(const PF_State& state) const noexcept {
  return state.reserved[0] != kStateMagic || state.reserved[1] != generation_;
}

}  // namespace boxwander::minihost
