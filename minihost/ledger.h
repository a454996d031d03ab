#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace boxwander::minihost {

// The outcome of checking the host's books after a command: balanced when nothing the
// module was given is still out (beyond what the host legitimately holds) and nothing
// went wrong on the way. findings says what is out or what went wrong, one line each.
// One call of the basic suite that went through, in the order made.
struct SuiteCall {
  bool acquire;  // else a release
  std::string name;
  std::int32_t version;
  friend bool operator==(const SuiteCall&, const SuiteCall&) = default;
};

struct Audit {
  std::vector<std::string> findings;

  bool balanced() const noexcept { return findings.empty(); }
  // All findings, one per line, for a test's failure message.
  std::string report() const;
};

// The host's record of what it handed out and of the module's misbehaviour: suites
// acquired and released per name and version, paths checked out and in, and every call
// the host refused to act on (a handle it never made, a suite released too often, a call
// in the wrong state...). Recording never throws at the module and never crashes.
class Ledger {
 public:
  using SuiteKey = std::pair<std::string, std::int32_t>;
  struct SuiteCount {
    std::int64_t acquired = 0;
    std::int64_t released = 0;
  };

  // Misbehaviour: kept in order, reported by every later audit until clearMisbehaviour().
  void misbehaviour(std::string what);
  const std::vector<std::string>& misbehaviours() const noexcept { return misbehaviour_; }
  void clearMisbehaviour() { misbehaviour_.clear(); }

  void suiteAcquired(const std::string& name, std::int32_t version);
  // Records a misbehaviour when the suite is not held.
  void suiteReleased(const std::string& name, std::int32_t version);
  SuiteCount suite(const std::string& name, std::int32_t version) const;
  const std::map<SuiteKey, SuiteCount>& suites() const noexcept { return suites_; }
  // The suite calls since the last take, in order; taking empties the list (the host takes
  // it after every command).
  std::vector<SuiteCall> takeSuiteCalls() noexcept { return std::exchange(suiteCalls_, {}); }

  void pathCheckedOut(const void* path, std::int32_t id);
  // Records a misbehaviour for a path that is not checked out.
  void pathCheckedIn(const void* path);
  std::size_t livePaths() const noexcept { return paths_.size(); }
  std::int64_t pathCheckouts() const noexcept { return pathCheckouts_; }

  // Adds what is out of balance in these books (held suites, paths still out,
  // misbehaviour) to the audit.
  void auditInto(Audit& audit) const;

 private:
  std::vector<std::string> misbehaviour_;
  std::map<SuiteKey, SuiteCount> suites_;
  std::vector<SuiteCall> suiteCalls_;
  std::map<const void*, std::int32_t> paths_;
  std::int64_t pathCheckouts_ = 0;
};

}  // namespace boxwander::minihost
