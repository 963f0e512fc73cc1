// Message boxes without a display and the desktop's opener for the manual.
#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>

#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_help_viewer.h"
#include "support/temp_dir.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;

TEST(QtDialogsTest, WithoutADisplayBoxesGoToStandardErrorWithTheirSafeAnswer) {
  ASSERT_EQ(QGuiApplication::platformName(), "offscreen");
  QtDialogs dialogs;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(dialogs.MessageBox("Delete?\r\n\r\n\"Åsa\" ?", "Are you sure?", MessageIcon::kQuestion,
                               MessageButtons::kYesNo),
            MessageAnswer::kNo);
  // One line each, as a journal keeps them.
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Are you sure?: Delete? \"\xC3\x85sa\" ?\n");
}

// An opener still waiting for its browser after the grace time has shown it.
TEST(QtHelpViewerTest, AnOpenerThatTakesTheFileShowsItAndAFailingOneIsAFailure) {
  testing::TempDir folder;
  folder.WriteFile("tolvmsg.html", "<html></html>");
  const std::string manual = folder.FilePath("tolvmsg.html");
  // An opener that runs `script` with the URL as $1.
  auto opener = [&](const std::string& name, const std::string& script) {
    folder.WriteFile(name, "#!/bin/sh\n" + script + "\n");
    fs::permissions(folder.path() / name, fs::perms::owner_all);
    return QString::fromStdString(folder.FilePath(name));
  };
  QtHelpViewer viewer(opener("opener", "echo \"$1\" > \"$0.seen\""));
  EXPECT_TRUE(viewer.ShowContents(manual));
  EXPECT_EQ(folder.ReadFile("opener.seen"), "file://" + manual + "\n");
  EXPECT_FALSE(viewer.ShowContents(folder.FilePath("none.html")));

  // xdg-open ends with 3 when no browser is installed.
  EXPECT_FALSE(QtHelpViewer(opener("no-browser", "exit 3")).ShowContents(manual));
  EXPECT_TRUE(QtHelpViewer(opener("waits", "sleep 2"), 200).ShowContents(manual));
}

}  // namespace
}  // namespace tolvane
