// The thin adapters to the desktop: message boxes without a display, the
// machine's serial ports and the desktop's opener for the manual.
#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>

#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_help_viewer.h"
#include "platform/qt/qt_serial_port_list.h"
#include "support/temp_dir.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;

TEST(QtDialogsTest, WithoutADisplayBoxesGoToStandardErrorWithTheirSafeAnswer) {
  ASSERT_EQ(QGuiApplication::platformName(), "offscreen");
  QtDialogs dialogs;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(dialogs.MessageBox("Delete? \"Åsa\" ?", "Are you sure?", MessageIcon::kQuestion,
                               MessageButtons::kYesNo),
            MessageAnswer::kNo);
  EXPECT_EQ(dialogs.MessageBox("Disk full!", "Disk full!", MessageIcon::kCritical),
            MessageAnswer::kOk);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "Are you sure?: Delete? \"\xC3\x85sa\" ?\nDisk full!: Disk full!\n");
}

// Whatever ports this machine has, each is offered by a path that opens
// something there.
TEST(QtSerialPortListTest, EveryPortOfferedIsADeviceOfThisMachine) {
  for (const SerialPortInfo& port : QtSerialPortList().AvailablePorts()) {
    SCOPED_TRACE(port.path + " " + port.description);
    EXPECT_TRUE(fs::is_character_file(port.path));
  }
}

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

// An opener that takes the file, or waits for its browser, has shown it; a
// failing or missing opener is a failure.
TEST_F(QtHelpViewerTest, AnOpenerThatTakesTheFileShowsItAndAFailingOneIsAFailure) {
  QtHelpViewer viewer(Opener("opener", "echo \"$1\" > \"$0.seen\""));
  EXPECT_TRUE(viewer.ShowContents(Manual()));
  EXPECT_EQ(folder_.ReadFile("opener.seen"), "file://" + Manual() + "\n");
  EXPECT_FALSE(viewer.ShowContents(folder_.FilePath("none.html")));

  // xdg-open ends with 3 when no browser is installed.
  EXPECT_FALSE(QtHelpViewer(Opener("no-browser", "exit 3")).ShowContents(Manual()));
  EXPECT_FALSE(
      QtHelpViewer(QString::fromStdString(folder_.FilePath("absent"))).ShowContents(Manual()));
  EXPECT_TRUE(QtHelpViewer(Opener("waits", "sleep 2"), 200).ShowContents(Manual()));
}

}  // namespace
}  // namespace tolvane
