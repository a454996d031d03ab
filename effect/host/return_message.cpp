#include "host/return_message.h"

#include <cstddef>
#include <cstring>

namespace boxwander {
namespace {

constexpr std::size_t kMaxChars = PF_MAX_RETURN_MSG_LEN - 1;
constexpr std::size_t kMaxContinuationBytes = 3;  // of one UTF-8 character

// The longest prefix of text that fits the message field; a UTF-8 character is never
// split. Text that is not UTF-8 (a run of bytes 0x80-0xBF, as in Latin-1) is cut at the
// field's end rather than backed off to nothing.
struct FittedText {
  char chars[PF_MAX_RETURN_MSG_LEN];
};
FittedText Fit(const char* text) {
  FittedText fitted{};
  if (text == nullptr) {
    return fitted;
  }
  std::size_t length = 0;
  while (length <= kMaxChars && text[length] != '\0') {
    ++length;
  }
  if (length > kMaxChars) {
    // The character at text[kMaxChars] does not fit. If it is a continuation byte
    // (10xxxxxx), its lead byte lies at most three bytes before it: cut there.
    const auto continues = [text](std::size_t i) {
      return (static_cast<unsigned char>(text[i]) & 0xC0u) == 0x80u;
    };
    std::size_t cut = kMaxChars;
    while (cut > kMaxChars - kMaxContinuationBytes && continues(cut)) {
      --cut;
    }
    length = continues(cut) ? kMaxChars : cut;
  }
  std::memcpy(fitted.chars, text, length);
  fitted.chars[length] = '\0';
  return fitted;
}

}  // namespace

SprintfFn HostSprintf(const PF_InData* in_data) noexcept {
  return in_data != nullptr && in_data->utils != nullptr ? in_data->utils->ansi.sprintf : nullptr;
}

StrcpyFn HostStrcpy(const PF_InData* in_data) noexcept {
  return in_data != nullptr && in_data->utils != nullptr ? in_data->utils->ansi.strcpy : nullptr;
}

void WriteReturnMessage(SprintfFn sprintf, PF_OutData& out_data, const char* text) {
  const FittedText fitted = Fit(text);
  if (sprintf != nullptr) {
    sprintf(out_data.return_msg, "%s", fitted.chars);
  } else {
    std::memcpy(out_data.return_msg, fitted.chars, sizeof fitted.chars);
  }
}

void CopyReturnMessage(StrcpyFn strcpy, PF_OutData& out_data, const char* text) {
  const FittedText fitted = Fit(text);
  if (strcpy != nullptr) {
    strcpy(out_data.return_msg, fitted.chars);
  } else {
    std::memcpy(out_data.return_msg, fitted.chars, sizeof fitted.chars);
  }
}

}  // namespace boxwander
