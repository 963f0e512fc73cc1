#include "platform/qt/qt_dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>

namespace tolvane {
namespace {

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

}  // namespace
}  // namespace tolvane
