// Owner locks: two owners in one process (a flock belongs to its open file),
// and an owner whose process died.
#include "platform/flock_run_ownership.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "support/temp_dir.h"

namespace tolvane {
namespace {

TEST(FlockRunOwnershipTest, AnOwnerLivesWhileItsLockIsHeldAndNoLonger) {
  testing::TempDir dir;
  FlockRunOwnership checker(dir.Folder());
  std::optional<FlockRunOwnership> first(dir.Folder());
  FlockRunOwnership second(dir.Folder());
  const std::string first_name = first->Take();
  const std::string second_name = second.Take();
  ASSERT_FALSE(first_name.empty());
  ASSERT_NE(first_name, second_name);
  EXPECT_EQ(first->Take(), first_name);
  EXPECT_TRUE(checker.Alive(first_name));
  EXPECT_TRUE(second.Alive(first_name));
  // Names no program of ours ever had, or that would leave the folder.
  for (const char* name : {"", "p1-2-3", "../messages", "P1"}) {
    EXPECT_FALSE(checker.Alive(name)) << name;
  }
  first.reset();
  EXPECT_FALSE(checker.Alive(first_name));
  EXPECT_TRUE(checker.Alive(second_name));

  // A dead child's unlocked lock file goes once it is seen so.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    FlockRunOwnership own(dir.Folder());
    own.Take();
    _exit(0);
  }
  waitpid(child, nullptr, 0);
  std::string child_name;  // from the lock file no owner here holds
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = entry.path().stem().string().substr(std::strlen("messages-"));
    if (name != second_name) child_name = name;
  }
  const std::string lock_file = dir.FilePath("messages-" + child_name + ".lock");
  EXPECT_TRUE(std::filesystem::exists(lock_file));
  EXPECT_FALSE(checker.Alive(child_name));
  EXPECT_FALSE(std::filesystem::exists(lock_file));
  // One the next program to start sweeps away, leaving the living ones.
  std::ofstream(dir.FilePath("messages-p9-9-9.lock")).put('\n');
  FlockRunOwnership next(dir.Folder());
  EXPECT_FALSE(next.Take().empty());
  EXPECT_FALSE(std::filesystem::exists(dir.FilePath("messages-p9-9-9.lock")));
  EXPECT_TRUE(checker.Alive(second_name));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

}  // namespace
}  // namespace tolvane
