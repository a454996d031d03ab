#include "host/return_message.h"

#include <cstddef>
#include <cstring>

namespace boxwander {
namespace {

constexpr std::size_t kMaxChars = PF_MAX_RETURN_MSG_LEN - 1;

// The longest prefix of text that fits the message field; a UTF-8 sequence is never split.
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
    length = kMaxChars;
    // Back off continuation bytes (10xxxxxx) and the lead byte they belong to.
    std::size_t cut = length;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0u) == 0x80u) {
      --cut;
    }
    length = cut;
  }
  std::memcpy(fitted.chars, text, length);
  fitted.chars[length] = '\0';
  return fitted;
}

}  // namespace

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
