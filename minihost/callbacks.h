#pragma once

#include <cstdarg>
#include <exception>
#include <initializer_list>
#include <new>
#include <string>

#include "host/host_interface.h"
#include "minihost/host.h"

namespace boxwander::minihost {

// The C functions the module calls, one static member per host operation. Each finds the
// host driving the current command on this thread, checks that the call is allowed in
// the command under way, consults the fault plan and records misbehaviour; none lets an
// exception reach the module.
struct Callbacks {
  // The host of the current command on this thread (set by Scope), or null.
  static Host* Current() noexcept;
  class Scope {
   public:
    explicit Scope(Host& host) noexcept;
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    Host* previous_;
  };

  // The host for a call that carries an effect reference; records a wrong reference.
  static Host* Resolve(PF_ProgPtr effect_ref, const char* op) noexcept;
  // Whether op may be called in the command under way; records misbehaviour if not.
  static bool Allowed(Host& host, const char* op, std::initializer_list<PF_Cmd> commands);
  static void Misbehaviour(Host& host, std::string what) noexcept;
  // Runs a host-side body; an exception becomes an error code and a ledger entry.
  template <class F>
  static PF_Err Guard(Host& host, const char* op, F&& body) noexcept {
    try {
      return body();
    } catch (const std::bad_alloc&) {
      Misbehaviour(host, std::string("host out of memory in ") + op);
      return PF_Err_OUT_OF_MEMORY;
    } catch (const std::exception& e) {
      Misbehaviour(host, std::string("host error in ") + op + ": " + e.what());
      return PF_Err_BAD_CALLBACK_PARAM;
    } catch (...) {
      // From a caller's hook, say: it must not unwind through the module either.
      Misbehaviour(host, std::string("host error in ") + op + ": an exception of unknown type");
      return PF_Err_BAD_CALLBACK_PARAM;
    }
  }

  static PF_InteractCallbacks Interact() noexcept;
  static PF_UtilCallbacks Utils() noexcept;
  static const SPBasicSuite* BasicSuite() noexcept;
  static PF_PreRenderCallbacks PreRender() noexcept;
  static PF_SmartRenderCallbacks SmartRender() noexcept;

  // Interaction.
  static PF_Err CheckoutParam(PF_ProgPtr, PF_ParamIndex, int32_t, int32_t, uint32_t, PF_ParamDef*);
  static PF_Err CheckinParam(PF_ProgPtr, PF_ParamDef*);
  static PF_Err AddParam(PF_ProgPtr, PF_ParamIndex, const PF_ParamDef*);
  static PF_Err Progress(PF_ProgPtr, int32_t, int32_t);

  // Utilities.
  static PF_Err Copy(PF_ProgPtr, PF_EffectWorld*, PF_EffectWorld*, const PF_LRect*,
                     const PF_LRect*);
  static PF_Err Fill(PF_ProgPtr, const PF_Pixel*, const PF_LRect*, PF_EffectWorld*);
  static PF_Handle NewHandle(uint64_t);
  static void* LockHandle(PF_Handle);
  static void UnlockHandle(PF_Handle);
  static void DisposeHandle(PF_Handle);
  static int Sprintf(char*, const char*, ...);
  static char* Strcpy(char*, const char*);

  // Render.
  static PF_Err CheckoutLayer(PF_ProgPtr, PF_ParamIndex, int32_t, const PF_RenderRequest*, int32_t,
                              int32_t, uint32_t, PF_CheckoutResult*);
  static PF_Err CheckoutLayerPixels(PF_ProgPtr, int32_t, PF_EffectWorld**);
  static PF_Err CheckoutOutput(PF_ProgPtr, PF_EffectWorld**);
  static PF_Err GetPixelFormat(const PF_EffectWorld*, PF_PixelFormat*);

  // Suites.
  static SPErr AcquireSuite(const char*, int32_t, const void**);
  static SPErr ReleaseSuite(const char*, int32_t);
  static A_Err RegisterWithAEGP(AEGP_GlobalRefcon, const char*, AEGP_PluginID*);
  static PF_Err UpdateParamUI(PF_ProgPtr, PF_ParamIndex, const PF_ParamDef*);
  static PF_Err GetCurrentState(PF_ProgPtr, PF_State*);
  static PF_Err HasParamChanged(PF_ProgPtr, const PF_State*, PF_ParamIndex, PF_Boolean*);
  static PF_Err CheckoutPath(PF_ProgPtr, PF_PathID, int32_t, int32_t, uint32_t, PF_PathOutlinePtr*);
  static PF_Err CheckinPath(PF_ProgPtr, PF_PathID, PF_Boolean, PF_PathOutlinePtr);
  static PF_Err PathNumSegments(PF_ProgPtr, PF_PathOutlinePtr, int32_t*);
  static PF_Err PathPrepareSegLength(PF_ProgPtr, PF_PathOutlinePtr, int32_t, int32_t,
                                     PF_PathSegPrepPtr*);
  static PF_Err PathGetSegLength(PF_ProgPtr, PF_PathOutlinePtr, int32_t, PF_PathSegPrepPtr*,
                                 PF_FpLong*);
  static PF_Err PathEvalSegLengthDeriv1(PF_ProgPtr, PF_PathOutlinePtr, PF_PathSegPrepPtr*, int32_t,
                                        PF_FpLong, PF_FpLong*, PF_FpLong*, PF_FpLong*, PF_FpLong*);
  static PF_Err PathCleanupSegLength(PF_ProgPtr, PF_PathOutlinePtr, int32_t, PF_PathSegPrepPtr*);
  static void MaskReserved();
};

// The suite a name and version stand for in this host, or null.
const void* FindSuite(const std::string& name, std::int32_t version) noexcept;

// The basic suite's answer for a suite it does not have or refuses.
inline constexpr SPErr kSuiteNotFound = 0x53214664;  // 'S!Fd'

}  // namespace boxwander::minihost
