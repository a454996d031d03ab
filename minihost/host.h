#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/host_interface.h"
#include "minihost/command_state.h"
#include "minihost/fault_plan.h"
#include "minihost/handle_store.h"
#include "minihost/host_time.h"
#include "minihost/ledger.h"
#include "minihost/module_file.h"
#include "minihost/param_store.h"
#include "minihost/path_store.h"
#include "minihost/world.h"

namespace boxwander::minihost {

// What the module answered to one command: the entry's result and the out-data as it
// stood afterwards.
struct CommandResult {
  PF_Cmd cmd = 0;
  PF_Err err = PF_Err_NONE;
  std::string message;  // return_msg up to its terminating zero
  PF_OutFlags outFlags = 0;
  PF_OutFlags2 outFlags2 = 0;
  std::uint32_t myVersion = 0;
  std::int32_t numParams = 0;
  PF_Handle globalData = nullptr;
  PF_Handle sequenceData = nullptr;
  // What the module did during the command, in order: the parameters it checked out (0:
  // the layer) and its calls of the basic suite that went through.
  std::vector<PF_ParamIndex> paramCheckouts;
  std::vector<SuiteCall> suiteCalls;

  bool displaysError() const noexcept { return (outFlags & PF_OutFlag_DISPLAY_ERROR_MESSAGE) != 0; }
};

// What a command starts with instead of the host's own zeroed out-data and null output.
struct CommandStart {
  PF_OutData outData{};
  World* output = nullptr;  // handed to the module as the output parameter
};

// A command the convenience calls needed came back with an error.
class CommandFailed : public std::runtime_error {
 public:
  CommandFailed(const CommandResult& result, const std::string& what)
      : std::runtime_error(what), result_(result) {}
  const CommandResult& result() const noexcept { return result_; }

 private:
  CommandResult result_;
};

struct ProgressCall {
  std::int32_t count = 0;
  std::int32_t total = 0;
};

// How one frame is rendered. The input world is taken as it is: it is already at the
// render's downsampling (the host does not resample it); mask paths are scaled to it.
struct RenderOptions {
  HostTime time;
  PF_RationalScale downsampleX{1, 1};
  PF_RationalScale downsampleY{1, 1};
  // The host's request of the effect's output; default: the whole input.
  std::optional<PF_LRect> request;
  // The world the effect renders into, copied as its starting content; default: a
  // transparent world of the input's depth and size with outputPadding bytes per row.
  std::optional<World> output;
  std::int32_t outputPadding = 0;
  // What PF_GetPixelFormat answers for the input instead of its true format.
  std::optional<PF_PixelFormat> reportedFormat;
  // The row bytes the input world states instead of its own (fewer: rows shorter than
  // its width, which the module must refuse).
  std::optional<std::int32_t> inputRowBytes;
  // Called from the progress callback while the frame renders, with the module's count
  // and total, before an armed fault decides the answer: for a live display of progress.
  // It should not throw; if it does, that call of the callback answers an error code and
  // the host records it.
  std::function<void(std::int32_t count, std::int32_t total)> onProgress;
};

// One frame: smart pre-render, then (if it succeeded) smart render, then the pre-render
// data's release routine.
struct Frame {
  CommandResult preRender;
  std::optional<CommandResult> render;  // absent when the pre-render failed
  PF_Err err = PF_Err_NONE;             // the pre-render's error, else the render's
  World output;
  // What the effect asked of its input at pre-render and what it answered.
  std::optional<PF_RenderRequest> layerRequest;
  PF_LRect resultRect{};
  PF_LRect maxResultRect{};
  std::vector<ProgressCall> progress;
  bool preRenderDataReleased = false;  // the release routine freed the record
  Audit audit;                         // the books right after the frame
};

// Where the host stands in the effect's life.
enum class Lifecycle { kLoaded, kGlobalSetUp, kParamsSetUp, kSequenceSetUp, kShutDown };

// A host of our own for one effect module and one applied instance of it.
//
//   Host host(modulePath);              // reads the property list, loads the module
//   host.setup();                       // global, params, sequence setup, UI update
//   host.params().set(3, ToFixed(25));  // Time 25 % (or a ParamSource of time)
//   host.paths().set(1, path);          // mask 1, any MaskPath (or a PathSource)
//   host.params().set(1, 1);            // choose it
//   RenderOptions half;
//   half.downsampleX = half.downsampleY = {1, 2};
//   Frame f = host.render(input, half);  // input already at half size
//   EXPECT_TRUE(f.audit.balanced()) << f.audit.report();
//
// Every operation the module calls is served here, counted in faults() and can be made
// to fail there; everything handed out is in the books (ledger(), handles()), and what
// the module did wrong is recorded as misbehaviour instead of crashing the host. Not
// thread-safe: one host per thread.
class Host {
 public:
  // Throws LoadError.
  explicit Host(const std::string& modulePath);
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  const ModuleFile& module() const noexcept { return *module_; }
  const PropertyList& propertyList() const noexcept { return module_->propertyList(); }

  // One command each; never throws for what the module answers. An exception that leaves
  // the entry is recorded as misbehaviour and answered as 512. Commands after shutdown()
  // throw std::logic_error.
  CommandResult about();
  CommandResult globalSetup();
  CommandResult paramsSetup();
  CommandResult sequenceSetup();
  CommandResult sequenceResetup();
  CommandResult sequenceSetdown();
  CommandResult updateParamsUI();
  CommandResult userChangedParam();
  CommandResult completelyGeneral(const char* text);
  CommandResult globalSetdown();
  // Any selector with any extra. The smart commands are better sent through render():
  // outside it the render callbacks have no frame and refuse (recorded as misbehaviour).
  CommandResult command(PF_Cmd cmd, void* extra = nullptr);
  CommandResult command(PF_Cmd cmd, void* extra, const CommandStart& start);

  // Global setup, parameter setup, sequence setup and one UI update; throws
  // CommandFailed for the first that fails.
  void setup();

  // Renders one frame (see Frame). Throws std::invalid_argument when the output given
  // in options has another depth than the input.
  Frame render(const World& input, const RenderOptions& options = {});

  // Sequence setdown and global setdown as far as set up, then disposes of the global
  // data the host owns; the audit of everything that is left. Runs once; the destructor
  // calls it when no one did.
  Audit shutdown();

  Lifecycle lifecycle() const noexcept { return lifecycle_; }
  ParamStore& params() noexcept { return params_; }
  PathStore& paths() noexcept { return paths_; }
  FaultPlan& faults() noexcept { return faults_; }
  HandleStore& handles() noexcept { return handles_; }
  Ledger& ledger() noexcept { return ledger_; }
  // The books now: handles not held by the host, suites and paths still out, parameter
  // checkouts not checked in, misbehaviour so far.
  Audit audit() const;

  PF_Handle globalData() const noexcept { return globalData_; }
  PF_Handle sequenceData() const noexcept { return sequenceData_; }
  // What the module registered with AEGP_RegisterWithAEGP (empty until it did).
  const std::string& registeredName() const noexcept { return registeredName_; }

  // The time in in-data for commands other than render.
  void setTime(const HostTime& time) noexcept { time_ = time; }
  // When false, in-data carries no basic suite (a broken host).
  void setBasicSuiteAvailable(bool available) noexcept { basicSuite_ = available; }

  // For the host's callbacks: the command under way, and AEGP_RegisterWithAEGP's book
  // (records the name, answers the next plug-in ID).
  const CommandState& commandState() const noexcept { return state_; }
  AEGP_PluginID registerPlugin(const char* name);

 private:
  CommandResult run(PF_Cmd cmd, void* extra, const CommandStart& start = {});
  PF_InData makeInData();
  std::vector<PF_ParamDef> paramArray() const;
  void afterCommand(PF_Cmd cmd, const PF_OutData& out, CommandResult& result);
  void adoptSequenceData(PF_Handle handle, const char* when);
  // Whether the routine freed the record.
  bool releasePreRenderData(void* data, PF_DeletePreRenderDataFunc release);

  // Declared first so that it goes last: nothing may call into the module after this.
  std::unique_ptr<ModuleFile> module_;
  PF_EntryPointFunc entry_ = nullptr;

  Ledger ledger_;
  FaultPlan faults_;
  HandleStore handles_{ledger_};
  ParamStore params_{ledger_};
  PathStore paths_{ledger_};

  Lifecycle lifecycle_ = Lifecycle::kLoaded;
  bool shutDown_ = false;
  bool basicSuite_ = true;
  HostTime time_;
  PF_Handle globalData_ = nullptr;
  PF_Handle sequenceData_ = nullptr;
  std::string registeredName_;
  std::int32_t nextPluginId_ = 1;

  // Handed to the module in in-data; the module may only read them.
  PF_UtilCallbacks utils_{};

  CommandState state_;
};

}  // namespace boxwander::minihost
