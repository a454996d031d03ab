#include "host/suite_cache.h"

#include "host/host_failure.h"
#include "host/return_message.h"

namespace boxwander {
namespace {

// The accessor suites' places in the release order (counted from 1 there).
static_assert(SuiteSlot(kPFPathQuerySuite, kPFPathQuerySuiteVersion1) == 19 - 1);
static_assert(SuiteSlot(kPFPathDataSuite, kPFPathDataSuiteVersion1) == 21 - 1);
static_assert(SuiteSlot(kPFParamUtilsSuite, kPFParamUtilsSuiteVersion1) == 22 - 1);
static_assert(SuiteSlot(kAEGPUtilitySuite, kAEGPUtilitySuiteVersion7) == 35 - 1);
static_assert(SuiteSlot(kPFANSISuite, kPFANSISuiteVersion1) == 38 - 1);
static_assert(SuiteSlot(kPFHandleSuite, kPFHandleSuiteVersion1) == 39 - 1);

const SPBasicSuite* BasicSuiteOf(const PF_InData* in_data) {
  return in_data != nullptr ? in_data->pica_basicP : nullptr;
}

PF_Err ReportSuiteFailure(const PF_InData* in_data, PF_OutData* out_data, const char* message,
                          const char* fallback) {
  if (out_data != nullptr) {
    out_data->out_flags |= PF_OutFlag_DISPLAY_ERROR_MESSAGE;
    WriteReturnMessage(HostSprintf(in_data), *out_data, message != nullptr ? message : fallback);
  }
  return PF_Err_BAD_CALLBACK_PARAM;
}

}  // namespace

SuiteCache::SuiteCache(const PF_InData* in_data) : basic_(BasicSuiteOf(in_data)) {
  if (basic_ == nullptr) {
    throw HostFailure{PF_Err_BAD_CALLBACK_PARAM};
  }
}

SuiteCache::~SuiteCache() {
  releaseAll();
}

const void* SuiteCache::acquire(std::size_t slot) {
  if (slots_[slot] != nullptr) {
    return slots_[slot];
  }
  const void* suite = nullptr;
  if (basic_->AcquireSuite == nullptr ||
      basic_->AcquireSuite(kKnownSuites[slot].name, kKnownSuites[slot].version, &suite) != 0 ||
      suite == nullptr) {
    throw HostFailure{PF_Err_BAD_CALLBACK_PARAM};
  }
  slots_[slot] = suite;
  return suite;
}

void SuiteCache::releaseAll() noexcept {
  for (std::size_t slot = 0; slot < slots_.size(); ++slot) {
    if (slots_[slot] != nullptr && basic_->ReleaseSuite != nullptr) {
      basic_->ReleaseSuite(kKnownSuites[slot].name, kKnownSuites[slot].version);
    }
  }
}

const PF_ANSICallbacksSuite1& SuiteCache::ansiSuite() {
  constexpr std::size_t kSlot = SuiteSlot(kPFANSISuite, kPFANSISuiteVersion1);
  return *static_cast<const PF_ANSICallbacksSuite1*>(acquire(kSlot));
}

const AEGP_UtilitySuite7& SuiteCache::utilitySuite() {
  constexpr std::size_t kSlot = SuiteSlot(kAEGPUtilitySuite, kAEGPUtilitySuiteVersion7);
  return *static_cast<const AEGP_UtilitySuite7*>(acquire(kSlot));
}

const PF_HandleSuite1& SuiteCache::handleSuite() {
  constexpr std::size_t kSlot = SuiteSlot(kPFHandleSuite, kPFHandleSuiteVersion1);
  return *static_cast<const PF_HandleSuite1*>(acquire(kSlot));
}

const PF_ParamUtilsSuite1& SuiteCache::paramUtilsSuite() {
  constexpr std::size_t kSlot = SuiteSlot(kPFParamUtilsSuite, kPFParamUtilsSuiteVersion1);
  return *static_cast<const PF_ParamUtilsSuite1*>(acquire(kSlot));
}

const PF_PathQuerySuite1& SuiteCache::pathQuerySuite() {
  constexpr std::size_t kSlot = SuiteSlot(kPFPathQuerySuite, kPFPathQuerySuiteVersion1);
  return *static_cast<const PF_PathQuerySuite1*>(acquire(kSlot));
}

const PF_PathDataSuite1& SuiteCache::pathDataSuite() {
  constexpr std::size_t kSlot = SuiteSlot(kPFPathDataSuite, kPFPathDataSuiteVersion1);
  return *static_cast<const PF_PathDataSuite1*>(acquire(kSlot));
}

PF_Err acquireScopedSuite(const PF_InData* in_data, PF_OutData* out_data, const char* name,
                          std::int32_t version, const char* message, const void** suite) {
  const SPBasicSuite* basic = BasicSuiteOf(in_data);
  const void* acquired = nullptr;
  if (basic != nullptr && basic->AcquireSuite != nullptr) {
    // The code is not looked at: only a pointer counts as success.
    basic->AcquireSuite(name, version, &acquired);
  }
  if (suite != nullptr) {
    *suite = acquired;
  }
  if (acquired != nullptr) {
    return PF_Err_NONE;
  }
  return ReportSuiteFailure(in_data, out_data, message, "Not able to acquire AEFX Suite.");
}

PF_Err releaseScopedSuite(const PF_InData* in_data, PF_OutData* out_data, const char* name,
                          std::int32_t version, const char* message) {
  const SPBasicSuite* basic = BasicSuiteOf(in_data);
  if (basic != nullptr) {
    if (basic->ReleaseSuite != nullptr) {
      basic->ReleaseSuite(name, version);
    }
    return PF_Err_NONE;
  }
  return ReportSuiteFailure(in_data, out_data, message, "Not able to release AEFX Suite.");
}

}  // namespace boxwander
