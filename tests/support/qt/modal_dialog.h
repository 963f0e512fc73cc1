#ifndef TOLVANE_TESTS_SUPPORT_QT_MODAL_DIALOG_H_
#define TOLVANE_TESTS_SUPPORT_QT_MODAL_DIALOG_H_

#include <functional>

class QDialog;

namespace tolvane::testing {

// Runs `open`, which shows a modal dialog and returns once it is closed, and
// runs `drive` on that dialog while it is open; a dialog `drive` leaves open
// is then rejected. Fails the test when no dialog opened.
void WithModalDialog(const std::function<void()>& open, const std::function<void(QDialog&)>& drive);

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_QT_MODAL_DIALOG_H_
