#ifndef TOLVANE_TESTS_SUPPORT_WINDOW_HISTORY_H_
#define TOLVANE_TESTS_SUPPORT_WINDOW_HISTORY_H_

#include <algorithm>
#include <ranges>
#include <string>
#include <vector>

#include "core/main_window.h"
#include "sim/sim_event_loop.h"

namespace tolvane::testing {

// The texts one line showed, in order, each with the moment of virtual time
// it appeared.
class LineHistory {
 public:
  void Note(long long at_ms, const std::string& text) {
    if (changes_.empty() || changes_.back().text != text) changes_.push_back({at_ms, text});
  }
  // When `text` first appeared, -1 when it never did.
  long long FirstAt(const std::string& text) const {
    const auto change = std::ranges::find(changes_, text, &Change::text);
    return change == changes_.end() ? -1 : change->at_ms;
  }
  // When `text` last appeared, -1 when it never did.
  long long LastAt(const std::string& text) const {
    const auto change = std::ranges::find(changes_ | std::views::reverse, text, &Change::text);
    return change == changes_.rend() ? -1 : change->at_ms;
  }
  bool Saw(const std::string& text) const { return FirstAt(text) >= 0; }
  int Count(const std::string& text) const {
    return static_cast<int>(std::ranges::count(changes_, text, &Change::text));
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const Change& change : changes_) texts.push_back(change.text);
    return texts;
  }

 private:
  struct Change {
    long long at_ms;
    std::string text;
  };
  std::vector<Change> changes_;
};

// Follows the main window's status line, receipt line and message box.
struct WindowHistory {
  void Follow(MainWindow& window, const sim::SimEventLoop& loop) {
    window.SetOnChanged([this, &window, &loop] {
      long long now = loop.Elapsed().count();
      status.Note(now, window.Control(MainControl::kStatusLine).text);
      receipt.Note(now, window.Control(MainControl::kReceiptLine).text);
      message.Note(now, window.MessageText());
    });
  }

  LineHistory status;
  LineHistory receipt;
  LineHistory message;
};

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_WINDOW_HISTORY_H_
