#include "api/api_run_host.h"

namespace tolvane {

RunStart ApiRunHost::NewRun(const std::string& kind, const std::string& title) const {
  RunStart start = window_.NewRun(kind, title);
  start.text = text_;
  return start;
}

}  // namespace tolvane
