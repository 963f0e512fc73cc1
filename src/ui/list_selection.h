#ifndef TOLVANE_UI_LIST_SELECTION_H_
#define TOLVANE_UI_LIST_SELECTION_H_

#include <functional>

class QListWidget;
class QObject;

namespace tolvane {

// A list's choice is its selected row, never its current row alone: Qt makes
// the first row current when a list gets the focus or is refilled, without
// anyone having chosen it.

// Calls `on_chosen` with the row the user selected (not when the selection is
// cleared, nor for a selection made by ShowSelection).
void OnRowChosen(QListWidget* list, QObject* context, std::function<void(int row)> on_chosen);

// Shows `row` selected, or no selection at all for -1, without calling the
// OnRowChosen handler.
void ShowSelection(QListWidget* list, int row);

}  // namespace tolvane

#endif  // TOLVANE_UI_LIST_SELECTION_H_
