#include "core/control_state.h"

namespace tolvane {

void ListItems::Touch() {
  // One thread: a plain counter is enough.
  static std::uint64_t last_revision = 0;
  revision_ = ++last_revision;
}

}  // namespace tolvane
