#include "core/transport.h"

#include <optional>

#include "core/utf8.h"
#include "platform/text_codec.h"

namespace tolvane {

void WaitForExchange(SendContext& context) {
  const SendState& state = context.State();
  WaitUntil(context.Loop(), [&state] { return state.finished || state.cancelled || state.ended; });
}

std::string Cp1252Refusal(std::string_view text) {
  const std::optional<char32_t> unfit = FirstOutsideCp1252(text);
  if (!unfit) return {};
  return "The message holds a character this connection cannot carry: " + CharacterText(*unfit);
}

}  // namespace tolvane
