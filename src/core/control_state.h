#ifndef TOLVANE_CORE_CONTROL_STATE_H_
#define TOLVANE_CORE_CONTROL_STATE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tolvane {

// What a window shows of one control; presenters own it, windows render it.
struct ControlState {
  std::string text;  // caption, or the content of a text box
  bool enabled = true;
  bool visible = true;
  bool checked = false;
  int max_length = 0;    // text boxes: 0 means no limit
  std::string tool_tip;  // empty: the window's own
  bool warning = false;  // shown in the warning colour
};

// The entries of a list box, read like a vector. Every change takes a new
// revision, unique in the whole program, so a window re-renders a list of
// 100 000 names only when it changed and never mistakes one list for another.
class ListItems {
 public:
  using value_type = std::string;
  using const_iterator = std::vector<std::string>::const_iterator;
  using iterator = const_iterator;
  using size_type = std::size_t;

  const_iterator begin() const { return items_.begin(); }
  const_iterator end() const { return items_.end(); }
  size_type size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  const std::string& operator[](size_type index) const { return items_[index]; }
  const std::string& at(size_type index) const { return items_.at(index); }
  const std::string& front() const { return items_.front(); }
  const std::string& back() const { return items_.back(); }
  bool operator==(const std::vector<std::string>& other) const { return items_ == other; }

  ListItems& operator=(std::vector<std::string> items) {
    items_ = std::move(items);
    Touch();
    return *this;
  }
  void clear() {
    items_.clear();
    Touch();
  }
  void push_back(std::string item) {
    items_.push_back(std::move(item));
    Touch();
  }

  // Reads as the vector it wraps, for code that takes one.
  operator const std::vector<std::string>&() const { return items_; }  // NOLINT

  std::uint64_t revision() const { return revision_; }

 private:
  void Touch();

  std::vector<std::string> items_;
  std::uint64_t revision_ = 0;
};

// A list box: its entries and the selected index (-1 for none).
struct ListState {
  ListItems items;
  int selected = -1;
  bool enabled = true;
  bool visible = true;

  bool HasSelection() const { return selected >= 0 && selected < static_cast<int>(items.size()); }
  const std::string& SelectedText() const { return items.at(selected); }
};

}  // namespace tolvane

#endif  // TOLVANE_CORE_CONTROL_STATE_H_
