#include "minihost/callbacks.h"

#include <algorithm>

#include "minihost/host_call.h"

namespace boxwander::minihost::callbacks {
namespace {

// The host driving the current command on this thread. Suite functions carry no effect
// reference, so this is how they find their host.
thread_local Host* tCurrent = nullptr;

}  // namespace

Host* Current() noexcept {
  return tCurrent;
}

Scope::Scope(Host& host) noexcept : previous_(tCurrent) {
  tCurrent = &host;
}

Scope::~Scope() {
  tCurrent = previous_;
}

void Record(Host& host, std::string what) noexcept {
  try {
    host.ledger().misbehaviour(std::move(what));
  } catch (...) {
    // Out of memory while recording: the record is lost, the module is not harmed.
  }
}

Host* Resolve(PF_ProgPtr effect_ref, const char* op) noexcept {
  Host* host = tCurrent;
  if (host != nullptr && effect_ref != reinterpret_cast<PF_ProgPtr>(host)) {
    Record(*host, std::string(op) + " with an effect reference this host did not give");
  }
  return host;
}

bool Allowed(Host& host, const char* op, std::initializer_list<PF_Cmd> commands) noexcept {
  const CommandState& state = host.commandState();
  const bool inCommand = state.cmd >= 0;
  const bool fits = commands.size() == 0 ? inCommand || state.inRelease
                                         : inCommand && std::find(commands.begin(), commands.end(),
                                                                  state.cmd) != commands.end();
  if (!fits) {
    try {
      Record(host, std::string(op) + " called " +
                       (inCommand ? "during command " + std::to_string(state.cmd)
                                  : std::string("outside a command")));
    } catch (...) {
      // The text could not be made: the record is lost, the call still refused.
    }
  }
  return fits;
}

Host* Admit(const char* op, std::optional<HostOp> fault) noexcept {
  Host* host = Current();
  if (host == nullptr || !Allowed(*host, op, {}) || (fault && host->faults().onCall(*fault))) {
    return nullptr;
  }
  return host;
}

}  // namespace boxwander::minihost::callbacks
