#ifndef TOLVANE_CORE_CONTROL_STATE_H_
#define TOLVANE_CORE_CONTROL_STATE_H_

#include <string>
#include <vector>

namespace tolvane {

// What a window shows of one control; presenters own it, windows render it.
struct ControlState {
  std::string text;  // caption, or the content of a text box
  bool enabled = true;
  bool visible = true;
  bool checked = false;
  int max_length = 0;  // text boxes: 0 means no limit
};

// A list box: its entries and the selected index (-1 for none).
struct ListState {
  std::vector<std::string> items;
  int selected = -1;
  bool enabled = true;
  bool visible = true;

  bool HasSelection() const { return selected >= 0 && selected < static_cast<int>(items.size()); }
  const std::string& SelectedText() const { return items.at(selected); }
};

}  // namespace tolvane

#endif  // TOLVANE_CORE_CONTROL_STATE_H_
