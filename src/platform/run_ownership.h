#ifndef TOLVANE_PLATFORM_RUN_OWNERSHIP_H_
#define TOLVANE_PLATFORM_RUN_OWNERSHIP_H_

#include <string>

namespace tolvane {

// Which programs sharing a message store are running. Each takes a lock
// under an owner name of its own that the system releases when the process
// ends, however it ends; a run whose owner holds no lock was cut short.
class RunOwnership {
 public:
  virtual ~RunOwnership() = default;
  // Takes this program's lock; its owner name, or empty when no lock could
  // be taken (the runs it starts are then seen as cut short by others).
  virtual std::string Take() = 0;
  // True while the program named `owner` holds its lock.
  virtual bool Alive(const std::string& owner) = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_RUN_OWNERSHIP_H_
