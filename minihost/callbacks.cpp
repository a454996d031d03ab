#include "minihost/callbacks.h"

#include <algorithm>
#include <cmath>

namespace boxwander::minihost {
namespace {

// The host driving the current command on this thread. Suite functions carry no effect
// reference, so this is how they find their host.
thread_local Host* tCurrent = nullptr;

}  // namespace

Host* Callbacks::Current() noexcept {
  return tCurrent;
}

Callbacks::Scope::Scope(Host& host) noexcept : previous_(tCurrent) {
  tCurrent = &host;
}

Callbacks::Scope::~Scope() {
  tCurrent = previous_;
}

void Callbacks::Misbehaviour(Host& host, std::string what) noexcept {
  try {
    host.ledger_.misbehaviour(std::move(what));
  } catch (...) {
    // Out of memory while recording: the record is lost, the module is not harmed.
  }
}

Host* Callbacks::Resolve(PF_ProgPtr effect_ref, const char* op) noexcept {
  Host* host = tCurrent;
  if (host != nullptr && effect_ref != reinterpret_cast<PF_ProgPtr>(host)) {
    Misbehaviour(*host, std::string(op) + " with an effect reference this host did not give");
  }
  return host;
}

bool Callbacks::Allowed(Host& host, const char* op, std::initializer_list<PF_Cmd> commands) {
  const bool inCommand = host.activeCmd_ >= 0;
  const bool fits = commands.size() == 0
                        ? inCommand || host.inRelease_
                        : inCommand && std::find(commands.begin(), commands.end(),
                                                 host.activeCmd_) != commands.end();
  if (!fits) {
    Misbehaviour(host, std::string(op) + " called " +
                           (inCommand ? "during command " + std::to_string(host.activeCmd_)
                                      : std::string("outside a command")));
  }
  return fits;
}

PF_InteractCallbacks Callbacks::Interact() noexcept {
  PF_InteractCallbacks cb{};
  cb.checkout_param = &CheckoutParam;
  cb.checkin_param = &CheckinParam;
  cb.add_param = &AddParam;
  cb.progress = &Progress;
  return cb;
}

PF_UtilCallbacks Callbacks::Utils() noexcept {
  PF_UtilCallbacks cb{};
  cb.copy = &Copy;
  cb.fill = &Fill;
  cb.host_new_handle = &NewHandle;
  cb.host_dispose_handle = &DisposeHandle;
  cb.ansi.ceil = [](double x) { return std::ceil(x); };
  cb.ansi.floor = [](double x) { return std::floor(x); };
  cb.ansi.hypot = [](double x, double y) { return std::hypot(x, y); };
  cb.ansi.pow = [](double x, double y) { return std::pow(x, y); };
  cb.ansi.sprintf = &Sprintf;
  cb.ansi.strcpy = &Strcpy;
  return cb;
}

PF_PreRenderCallbacks Callbacks::PreRender() noexcept {
  PF_PreRenderCallbacks cb{};
  cb.checkout_layer = &CheckoutLayer;
  return cb;
}

PF_SmartRenderCallbacks Callbacks::SmartRender() noexcept {
  PF_SmartRenderCallbacks cb{};
  cb.checkout_layer_pixels = &CheckoutLayerPixels;
  cb.checkout_output = &CheckoutOutput;
  return cb;
}

}  // namespace boxwander::minihost
