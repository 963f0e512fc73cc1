#ifndef TOLVANE_PLATFORM_DIALLER_H_
#define TOLVANE_PLATFORM_DIALLER_H_

#include <string>
#include <vector>

namespace tolvane {

// The dial-up networking component. The settings dialog needs only the names
// of the known connections; dialling and hanging up join here with the mail
// check.
class Dialler {
 public:
  virtual ~Dialler() = default;
  // The connections known to the system, in its order; empty when there are
  // none or they cannot be listed.
  virtual std::vector<std::string> ConnectionNames() = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_DIALLER_H_
