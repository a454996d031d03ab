#include "minihost/ledger.h"

namespace boxwander::minihost {

std::string Audit::report() const {
  std::string text;
  for (const std::string& f : findings) {
    text += f;
    text += '\n';
  }
  return text;
}

void Ledger::misbehaviour(std::string what) {
  misbehaviour_.push_back(std::move(what));
}

void Ledger::suiteAcquired(const std::string& name, std::int32_t version) {
  ++suites_[{name, version}].acquired;
  suiteCalls_.push_back({true, name, version});
}

void Ledger::suiteReleased(const std::string& name, std::int32_t version) {
  SuiteCount& c = suites_[{name, version}];
  if (c.released >= c.acquired) {
    misbehaviour("ReleaseSuite(\"" + name + "\", " + std::to_string(version) +
                 ") without a matching AcquireSuite");
    return;
  }
  ++c.released;
  suiteCalls_.push_back({false, name, version});
}

Ledger::SuiteCount Ledger::suite(const std::string& name, std::int32_t version) const {
  const auto it = suites_.find({name, version});
  return it == suites_.end() ? SuiteCount{} : it->second;
}

void Ledger::pathCheckedOut(const void* path, std::int32_t id) {
  paths_[path] = id;
  ++pathCheckouts_;
}

void Ledger::pathCheckedIn(const void* path) {
  if (paths_.erase(path) == 0) {
    misbehaviour("PF_CheckinPath of a path that is not checked out");
  }
}

void Ledger::auditInto(Audit& audit) const {
  for (const auto& [key, count] : suites_) {
    if (count.acquired != count.released) {
      audit.findings.push_back("suite \"" + key.first + "\" " + std::to_string(key.second) +
                               " acquired " + std::to_string(count.acquired) + " times, released " +
                               std::to_string(count.released));
    }
  }
  for (const auto& [path, id] : paths_) {
    audit.findings.push_back("path " + std::to_string(id) + " still checked out");
  }
  for (const std::string& m : misbehaviour_) {
    audit.findings.push_back("misbehaviour: " + m);
  }
}

}  // namespace boxwander::minihost
