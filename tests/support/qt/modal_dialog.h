#ifndef TOLVANE_TESTS_SUPPORT_QT_MODAL_DIALOG_H_
#define TOLVANE_TESTS_SUPPORT_QT_MODAL_DIALOG_H_

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>

namespace tolvane::testing {

// Runs `open`, which shows a modal dialog, and `drive` on that dialog, which
// is then rejected if still open. Fails the test when no dialog opened.
inline void WithModalDialog(const std::function<void()>& open,
                            const std::function<void(QDialog&)>& drive) {
  bool driven = false;
  // Runs inside the dialog's own event loop.
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    driven = true;
    drive(*dialog);
    if (dialog->isVisible()) dialog->reject();
  });
  open();
  EXPECT_TRUE(driven);
}

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_QT_MODAL_DIALOG_H_
