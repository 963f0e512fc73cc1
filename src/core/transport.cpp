#include "core/transport.h"

namespace tolvane {

void WaitForExchange(SendContext& context) {
  const SendState& state = context.State();
  WaitUntil(context.Loop(),
            [&state] { return state.finished || state.cancelled || state.ended; });
}

}  // namespace tolvane
