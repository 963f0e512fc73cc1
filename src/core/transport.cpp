#include "core/transport.h"

#include <optional>

#include "platform/text_codec.h"
#include "text/utf8.h"

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
