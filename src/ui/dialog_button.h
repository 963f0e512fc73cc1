#ifndef TOLVANE_UI_DIALOG_BUTTON_H_
#define TOLVANE_UI_DIALOG_BUTTON_H_

#include <functional>

class QObject;
class QPushButton;

namespace tolvane {

// A push button of a dialog, named `name` for tests to find, that runs
// `action` when clicked (while `context` lives). It never takes Return as the
// default button would: Return belongs to the text boxes.
QPushButton* MakeDialogButton(QObject* context, const char* name, std::function<void()> action);

}  // namespace tolvane

#endif  // TOLVANE_UI_DIALOG_BUTTON_H_
