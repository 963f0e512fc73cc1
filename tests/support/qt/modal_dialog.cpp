#include "support/qt/modal_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTimer>

namespace tolvane::testing {

void WithModalDialog(const std::function<void()>& open,
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
