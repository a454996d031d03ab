#pragma once

#include <array>
#include <cstddef>

#include "host/host_interface.h"
#include "host/known_suites.h"

namespace boxwander {

// The suites one handler call uses, acquired on first use and all released, in the fixed
// order of kKnownSuites, when the cache goes away. A suite the host cannot provide, or a
// missing basic suite, raises HostFailure{PF_Err_BAD_CALLBACK_PARAM}.
class SuiteCache {
 public:
  explicit SuiteCache(const PF_InData* in_data);
  ~SuiteCache();
  SuiteCache(const SuiteCache&) = delete;
  SuiteCache& operator=(const SuiteCache&) = delete;

  const PF_ANSICallbacksSuite1& ansiSuite();
  const AEGP_UtilitySuite7& utilitySuite();
  const PF_HandleSuite1& handleSuite();
  const PF_ParamUtilsSuite1& paramUtilsSuite();
  const PF_PathQuerySuite1& pathQuerySuite();
  const PF_PathDataSuite1& pathDataSuite();

 private:
  const void* acquire(std::size_t slot);
  void releaseAll() noexcept;

  const SPBasicSuite* basic_;
  std::array<const void*, kKnownSuites.size()> slots_{};
};

// One suite obtained and given back explicitly. On failure they set
// PF_OutFlag_DISPLAY_ERROR_MESSAGE, write message (or a standard text when null) and
// return PF_Err_BAD_CALLBACK_PARAM; they never raise.
PF_Err acquireScopedSuite(const PF_InData* in_data, PF_OutData* out_data, const char* name,
                          std::int32_t version, const char* message, const void** suite);
PF_Err releaseScopedSuite(const PF_InData* in_data, PF_OutData* out_data, const char* name,
                          std::int32_t version, const char* message);

}  // namespace boxwander
