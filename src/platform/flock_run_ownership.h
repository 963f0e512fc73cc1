#ifndef TOLVANE_PLATFORM_FLOCK_RUN_OWNERSHIP_H_
#define TOLVANE_PLATFORM_FLOCK_RUN_OWNERSHIP_H_

#include <string>

#include "platform/run_ownership.h"

namespace tolvane {

// Owner locks as flock(2) locks on one file per owner in the folder of the
// message store ("messages-<owner>.lock"). A flock belongs to the open file,
// so two of these in one process hold locks of their own, as two programs do.
class FlockRunOwnership : public RunOwnership {
 public:
  // `folder` ends with the path separator.
  explicit FlockRunOwnership(std::string folder) : folder_(std::move(folder)) {}
  ~FlockRunOwnership() override;
  FlockRunOwnership(const FlockRunOwnership&) = delete;
  FlockRunOwnership& operator=(const FlockRunOwnership&) = delete;

  std::string Take() override;
  bool Alive(const std::string& owner) override;

 private:
  std::string LockPath(const std::string& owner) const;
  // Removes the lock files programs that are gone left behind.
  void SweepLeftovers();

  std::string folder_;
  std::string owner_;
  int fd_ = -1;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_FLOCK_RUN_OWNERSHIP_H_
