#include "cli/info_command.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/common/cli_error.h"
#include "cli/module_session.h"
#include "cli/paths/path_source.h"

namespace boxwander::cli {
namespace {

using minihost::FourCC;
using minihost::FourCCText;

std::string Hex(std::uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", v);
  return text;
}

std::string Real(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

std::string Fixed(PF_Fixed v) {
  return Real(v / 65536.0);
}

std::string Decimals(int precision) {
  return std::to_string(precision) + (precision == 1 ? " decimal" : " decimals");
}

// A property's value, by what its key holds.
std::string Decode(const minihost::PropertyList& list, const minihost::Property& p) {
  const std::uint32_t key = p.key;
  if (key == FourCC("kind")) {
    const auto v = list.word32(key);
    return v ? FourCCText(*v) : "?";
  }
  if (key == FourCC("name") || key == FourCC("catg") || key == FourCC("eMNA")) {
    const auto v = list.pascalString(key);
    return v ? "\"" + *v + "\"" : "?";
  }
  if (key == FourCC("wx86")) {
    const auto v = list.cString(key);
    return v ? "entry " + *v : "?";
  }
  if (key == FourCC("ePVR") || key == FourCC("eSVR")) {
    const auto a = list.word16(key, 0);
    const auto b = list.word16(key, 2);
    return a && b ? std::to_string(*a) + "." + std::to_string(*b) : "?";
  }
  if (key == FourCC("eVER")) {
    const auto v = list.word32(key);
    if (!v)
      return "?";
    return Hex(*v) + " (version " + std::to_string(*v >> 19 & 7) + "." +
           std::to_string(*v >> 15 & 15) + "." + std::to_string(*v >> 11 & 15) + ", stage " +
           std::to_string(*v >> 9 & 3) + ", build " + std::to_string(*v & 511) + ")";
  }
  if (key == FourCC("eINF")) {
    const auto v = list.word16(key);
    return v ? std::to_string(*v) : "?";
  }
  if (p.data.size() == 4) {
    const auto v = list.word32(key);
    return v ? Hex(*v) : "?";
  }
  std::string bytes;
  for (const std::uint8_t b : p.data) {
    char text[4];
    std::snprintf(text, sizeof text, "%02X", b);
    bytes += (bytes.empty() ? "" : " ") + std::string(text);
  }
  return bytes;
}

std::string Describe(const minihost::ParamStore& params, PF_ParamIndex i) {
  const PF_ParamDef& d = params.def(i);
  switch (d.param_type) {
    case PF_Param_SLIDER:
      return "integer slider, valid " + std::to_string(d.u.sd.valid_min) + ".." +
             std::to_string(d.u.sd.valid_max) + ", slider " + std::to_string(d.u.sd.slider_min) +
             ".." + std::to_string(d.u.sd.slider_max) + ", default " +
             std::to_string(d.u.sd.dephault);
    case PF_Param_FIX_SLIDER:
      return "fixed slider, valid " + Fixed(d.u.fd.valid_min) + ".." + Fixed(d.u.fd.valid_max) +
             ", slider " + Fixed(d.u.fd.slider_min) + ".." + Fixed(d.u.fd.slider_max) +
             ", default " + Fixed(d.u.fd.dephault) + ", " + Decimals(d.u.fd.precision) +
             (d.u.fd.display_flags & PF_ValueDisplayFlag_PERCENT ? ", percent" : "");
    case PF_Param_FLOAT_SLIDER:
      return "float slider, valid " + Real(d.u.fs_d.valid_min) + ".." + Real(d.u.fs_d.valid_max) +
             ", slider " + Real(d.u.fs_d.slider_min) + ".." + Real(d.u.fs_d.slider_max) +
             ", default " + Real(d.u.fs_d.dephault) + ", " + Decimals(d.u.fs_d.precision);
    case PF_Param_POPUP:
      return "popup \"" + params.text(i) + "\", default " + std::to_string(d.u.pd.dephault);
    case PF_Param_CHECKBOX:
      return std::string("checkbox, default ") + (d.u.bd.dephault ? "on" : "off");
    case PF_Param_COLOR: {
      const PF_Pixel c = d.u.cd.dephault;
      return "colour, default alpha " + std::to_string(c.alpha) + " red " + std::to_string(c.red) +
             " green " + std::to_string(c.green) + " blue " + std::to_string(c.blue);
    }
    case PF_Param_PATH:
      return "mask path, default " + std::to_string(d.u.path_d.dephault) +
             (d.u.path_d.dephault == 0 ? " (none)" : "");
    default:
      return "type " + std::to_string(d.param_type);
  }
}

bool IsSvgFile(const std::string& name) {
  std::string tail = name.size() >= 4 ? name.substr(name.size() - 4) : "";
  for (char& c : tail)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == ".svg";
}

}  // namespace

int RunInfo(const std::string& module) {
  try {
    if (IsSvgFile(module)) {
      std::fputs(ListSvgFile(module).c_str(), stdout);
      return 0;
    }
    const std::string path = FindModule(module);
    auto host = OpenModule(path);
    const minihost::PropertyList& list = host->propertyList();
    std::printf("Module %s\n", path.c_str());
    std::printf("Property list (resource version %u, list version %u):\n",
                static_cast<unsigned>(list.resourceVersion),
                static_cast<unsigned>(list.listVersion));
    for (const minihost::Property& p : list.properties) {
      std::printf("  %s %s  %s\n", FourCCText(p.vendor).c_str(), FourCCText(p.key).c_str(),
                  Decode(list, p).c_str());
    }
    try {
      host->setup();
    } catch (const minihost::CommandFailed& e) {
      throw CliError(path + ": " + e.what());
    }
    const auto& params = host->params();
    std::printf("Parameters (%d, the input layer not counted):\n", params.count());
    for (PF_ParamIndex i = 1; i <= params.count(); ++i) {
      const char* name = params.def(i).name;
      const std::string shown(name, strnlen(name, sizeof params.def(i).name));
      std::printf("  %2d  %-16s %s\n", i, shown.c_str(), Describe(params, i).c_str());
    }
    host->shutdown();
    return 0;
  } catch (const CliError& e) {
    std::fprintf(stderr, "boxwander: %s\n", e.what());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "boxwander: %s\n", e.what());
  }
  return 1;
}

}  // namespace boxwander::cli
