#include "platform/qt/qt_help_viewer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;

// A program folder with the manual and stand-ins for the desktop's opener.
class QtHelpViewerTest : public ::testing::Test {
 protected:
  QtHelpViewerTest() { folder_.WriteFile("tolvmsg.html", "<html></html>"); }

  // An opener that runs `script` with the URL as $1.
  QString Opener(const std::string& name, const std::string& script) {
    folder_.WriteFile(name, "#!/bin/sh\n" + script + "\n");
    fs::permissions(folder_.path() / name, fs::perms::owner_all);
    return QString::fromStdString(folder_.FilePath(name));
  }
  std::string Manual() const { return folder_.FilePath("tolvmsg.html"); }

  testing::TempDir folder_;
};

TEST_F(QtHelpViewerTest, AnOpenerThatTakesTheFileShowsIt) {
  QtHelpViewer viewer(Opener("opener", "echo \"$1\" > \"$0.seen\""));
  EXPECT_TRUE(viewer.ShowContents(Manual()));
  EXPECT_EQ(folder_.ReadFile("opener.seen"), "file://" + Manual() + "\n");
}

TEST_F(QtHelpViewerTest, AFailingOrMissingOpenerIsAFailureButOneThatWaitsIsNot) {
  // xdg-open ends with 3 when no browser is installed.
  EXPECT_FALSE(QtHelpViewer(Opener("no-browser", "exit 3")).ShowContents(Manual()));
  EXPECT_FALSE(
      QtHelpViewer(QString::fromStdString(folder_.FilePath("absent"))).ShowContents(Manual()));
  EXPECT_FALSE(
      QtHelpViewer(Opener("opener", "exit 0")).ShowContents(folder_.FilePath("none.html")));

  // An opener that waits for its browser has shown the file.
  QtHelpViewer viewer(Opener("waits", "sleep 2"), 200);
  EXPECT_TRUE(viewer.ShowContents(Manual()));
}

}  // namespace
}  // namespace tolvane
