// boxwander: renders the effect module through our own host, from the command line.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>

#include "cli/controls/controls.h"
#include "cli/demo_command.h"
#include "cli/info_command.h"
#include "cli/preview/control_bindings.h"
#include "cli/preview/preview_command.h"
#include "cli/render_command.h"
#include "minihost/frame_memory.h"

namespace {

using boxwander::cli::NumericControl;
using boxwander::cli::RangeText;

std::string ControlHelp(const NumericControl& c) {
  return std::string(c.name) + ", " + RangeText(c) + (c.unit[0] != '\0' ? " " : "") + c.unit +
         "; VALUE or VALUE@FRAME[,VALUE@FRAME...]";
}

}  // namespace

int main(int argc, char** argv) {
  boxwander::minihost::KeepFrameMemory();
  CLI::App app{
      "Lays a chain of rectangles along a mask path, through the Boxwander effect module."};
  app.require_subcommand(1);

  boxwander::cli::RenderArguments r;
  CLI::App* render = app.add_subcommand("render", "Render one frame or a frame range.");
  render
      ->add_option("input", r.input,
                   "Input image (PNG, TIFF, JPEG, EXR, ...); '#' runs take the frame number "
                   "(an image sequence)")
      ->required();
  render->add_option("-o,--output", r.output, "Output image; '#' runs take the frame number")
      ->required();
  render
      ->add_option("--path", r.path,
                   "Mask path: SVG path data, @FILE.svg[#ID:N] (a shape the file draws, its "
                   "subpath N; default the first) or @FILE.json "
                   "({\"v\":...,\"i\":...,\"o\":...,\"c\":...} or {\"keyframes\":[{\"frame\":N,"
                   "\"v\":...},...]}); '#' runs in FILE take the frame number")
      ->required();
  render->add_option("--frames", r.frames, "Frames A-B or A (default 0)");
  render->add_option("--fps", r.fps, "Frames per second of the host's time (default 24)")
      ->check(CLI::Range(1, 1000));
  render->add_option("--downsample", r.downsample, "Render at 1/N resolution (1, 2, 4, ...)")
      ->check(CLI::Range(1, 256));
  render->add_option("--depth", r.depth, "8, 16 or 32 (float); default: the input file's");
  render->add_option("--module", r.module, "Effect module (default: beside this tool)");
  render->add_option("--rects-json", r.rectsJson, "Write each frame's chain as JSON");
  render->add_option("--jobs", r.jobs, "Worker processes for a frame range (default: cores)")
      ->check(CLI::Range(1, 256));
  render->add_option("--progress", r.progress,
                     "auto (a bar on a terminal, else a line per frame), bar, lines or none");
  render->add_flag("-q,--quiet", r.quiet, "No progress (--progress none)");
  render->add_flag("--keep-going", r.keepGoing,
                   "Render every frame that can be, then list those that failed");
  render->add_flag("--worker", r.worker)->group("");  // set for the tool's own workers

  using namespace boxwander::cli;
  // The numeric controls' options and help come from the tool's table of controls.
  const auto control = [render](const NumericControl& c, std::string& text) {
    render->add_option(std::string("--") + c.option, text, ControlHelp(c));
  };
  render->add_option("--mode", r.mode, "continuous|discrete1|discrete2");
  control(kTime, r.time);
  control(kMaxWidth, r.maxWidth);
  control(kMinWidth, r.minWidth);
  control(kWidthHeight, r.widthHeight);
  control(kWidthHeightVariance, r.widthHeightVariance);
  control(kEdgeThickness, r.edgeThickness);
  render->add_option("--edge-mode", r.edgeMode, "brightness|color");
  control(kEdgeBrightness, r.edgeBrightness);
  render->add_option("--edge-color", r.edgeColor, "#RRGGBB, #AARRGGBB or r,g,b[,a]");
  render->add_flag("--invert", r.invert, "Exchange the inside and the edge band");
  control(kSeed, r.seed);
  render->add_flag("--on-original", r.onOriginal, "Draw over a copy of the layer");

  std::string infoModule;
  CLI::App* info = app.add_subcommand(
      "info", "Show the module's property list and parameters, or the shapes an SVG file draws.");
  info->add_option("module", infoModule,
                   "Effect module (default: beside this tool), or an .svg file to list");

  DemoArguments d;
  CLI::App* demo = app.add_subcommand("demo", "Render the built-in animation and contact sheet.");
  demo->add_option("--out", d.outDir, "Output folder (default out)");
  demo->add_option("--module", d.module, "Effect module (default: beside this tool)");
  demo->add_option("--jobs", d.jobs, "Worker processes (default: cores)")
      ->check(CLI::Range(1, 256));
  demo->add_flag("-q,--quiet", d.quiet, "No progress bar");

  namespace pv = boxwander::cli::preview;
  pv::PreviewArguments p;
  CLI::App* preview = app.add_subcommand(
      "preview", "Serve a live page on 127.0.0.1 to shape the mask and tune the controls.");
  preview->add_option("input", p.input, "Input image (PNG, TIFF, JPEG, EXR, ...)")->required();
  preview->add_option("--path", p.path,
                      "Mask path to start from, as for render (default: a wave across)");
  preview->add_option("--port", p.port, "Port on 127.0.0.1 (default: a free one)")
      ->check(CLI::Range(0, 65535));
  preview->add_option("--downsample", p.downsample, "Start at 1/N resolution: 1, 2 or 4");
  preview->add_option("--fps", p.fps, "Frame rate of the play button (default 24)")
      ->check(CLI::Range(1, 1000));
  preview->add_option("--depth", p.depth, "8, 16 or 32 (float); default: the input file's");
  preview->add_option("--module", p.module, "Effect module (default: beside this tool)");
  for (const pv::ControlBinding& b : pv::ControlBindings()) {
    if (b.kind == pv::BindingKind::kInvert) {
      preview->add_flag("--invert", p.invert, "Start with Invert on");
    } else if (b.kind == pv::BindingKind::kOnOriginal) {
      preview->add_flag("--on-original", p.onOriginal, "Start with On Original on");
    } else {
      preview->add_option(std::string("--") + b.option, p.controls[b.option],
                          std::string("Start value of ") + b.param + ", as for render");
    }
  }

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    // One line, as every other error of the tool.
    std::fprintf(stderr, "boxwander: %s\n", e.what());
    return 2;
  }
  if (*render)
    return RunRender(r);
  if (*info)
    return RunInfo(infoModule);
  if (*preview)
    return pv::RunPreview(p);
  return RunDemo(d);
}
