// Pieces of the module that the host cannot reach one by one: rectangle merging, message
// writing.
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "host/host_interface.h"
#include "host/return_message.h"
#include "host/suite_cache.h"
#include "params/param_table.h"
#include "render/smart_pre_render.h"
#include "render/smart_render.h"

namespace boxwander {
namespace {

bool operator==(const PF_LRect& a, const PF_LRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(ControlValues, DefaultsAreTheDeclaredValues) {
  // Read back from the declared definitions the way smart pre-render reads the controls.
  PF_ParamDef defs[ToInt(ParamIndex::Count)] = {};
  for (const ParamSpec& spec : kParamSpecs) {
    defs[ToInt(spec.index)] = DefinitionOf(spec, nullptr);
  }
  EXPECT_TRUE(ControlsOf(defs) == ControlValues{});
}

TEST(UnionRect, MergesLikeTheHost) {
  struct Case {
    const char* name;
    PF_LRect source, destination, expected;
  };
  const Case cases[] = {
      {"empty destination takes the source", {1, 2, 30, 40}, {0, 0, 0, 0}, {1, 2, 30, 40}},
      {"empty destination takes even an empty source", {5, 5, 5, 9}, {0, 0, 0, 0}, {5, 5, 5, 9}},
      {"empty source leaves the destination", {5, 5, 5, 9}, {0, 0, 10, 10}, {0, 0, 10, 10}},
      {"both grow to hold each other", {5, -5, 20, 8}, {0, 0, 10, 10}, {0, -5, 20, 10}},
      {"inverted destination counts as empty", {1, 1, 2, 2}, {10, 0, 5, 10}, {1, 1, 2, 2}},
  };
  for (const Case& c : cases) {
    PF_LRect destination = c.destination;
    UnionRect(c.source, destination);
    EXPECT_TRUE(destination == c.expected) << c.name;
  }
}

// A host sprintf with C's meaning, as the host hands it in.
int HostSprintf(char* buffer, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = std::vsprintf(buffer, format, args);
  va_end(args);
  return n;
}

TEST(ReturnMessage, StaysInItsFieldAndNeverFormatsCallerText) {
  struct Case {
    const char* name;
    std::optional<std::string> text;  // nullopt: a null text
    std::string expected;
  };
  const std::string a255(255, 'a');
  const Case cases[] = {
      {"null gives an empty message", std::nullopt, ""},
      {"format directives stay text", "%s%n%x %d", "%s%n%x %d"},
      {"a full field is kept whole", a255, a255},
      {"a longer text is cut to 255 bytes", std::string(1000, 'b'), std::string(255, 'b')},
      // 254 bytes and a two-byte character would need 256: the character goes whole.
      {"a character is not split", std::string(254, 'c') + "\xC3\xA9", std::string(254, 'c')},
      {"a four-byte character goes whole", std::string(252, 'd') + "\xF0\x9F\x98\x80",
       std::string(252, 'd')},
      // Latin-1 degree signs are continuation bytes to UTF-8: no character to keep whole.
      {"text that is no UTF-8 is cut at the field's end", std::string(300, '\xB0'),
       std::string(255, '\xB0')},
  };
  for (const Case& c : cases) {
    PF_OutData out{};
    std::memset(out.return_msg, 'x', sizeof out.return_msg);
    WriteReturnMessage(HostSprintf, out, c.text ? c.text->c_str() : nullptr);
    EXPECT_EQ(std::string(out.return_msg), c.expected) << c.name;

    PF_OutData copied{};
    CopyReturnMessage(std::strcpy, copied, c.text ? c.text->c_str() : nullptr);
    EXPECT_EQ(std::string(copied.return_msg), c.expected) << c.name << " (strcpy)";
  }
}

TEST(ScopedSuite, StandardTextsWhenTheCallerGivesNone) {
  // A basic suite that answers 0 but gives no suite, and a host sprintf for the message.
  const SPBasicSuite basic{[](const char*, int32_t, const void**) -> SPErr { return 0; },
                           [](const char*, int32_t) -> SPErr { return 0; }};
  PF_UtilCallbacks utils{};
  utils.ansi.sprintf = &HostSprintf;
  PF_InData in{};
  in.utils = &utils;
  in.pica_basicP = &basic;
  PF_OutData out{};
  const void* suite = &basic;
  EXPECT_EQ(acquireScopedSuite(&in, &out, kPFWorldSuite, 2, nullptr, &suite),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(suite, nullptr);
  EXPECT_STREQ(out.return_msg, "Not able to acquire AEFX Suite.");
  EXPECT_EQ(out.out_flags, PF_OutFlag_DISPLAY_ERROR_MESSAGE);

  in.pica_basicP = nullptr;  // only a host without a basic suite fails a release
  PF_OutData released{};
  EXPECT_EQ(releaseScopedSuite(&in, &released, kPFWorldSuite, 2, nullptr),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_STREQ(released.return_msg, "Not able to release AEFX Suite.");
  EXPECT_EQ(released.out_flags, PF_OutFlag_DISPLAY_ERROR_MESSAGE);
}

}  // namespace
}  // namespace boxwander
