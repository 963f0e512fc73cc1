#ifndef TOLVANE_TESTS_SUPPORT_FAKE_DIALOGS_H_
#define TOLVANE_TESTS_SUPPORT_FAKE_DIALOGS_H_

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/dialogs.h"

namespace tolvane::testing {

// Records every message box and beep. Boxes take the queued answers in
// order, else the box's cancelling answer.
class FakeDialogs : public Dialogs {
 public:
  struct Box {
    std::string text;
    std::string title;
    MessageIcon icon;
    MessageButtons buttons;
    bool operator==(const Box&) const = default;
  };

  MessageAnswer MessageBox(const std::string& text, const std::string& title, MessageIcon icon,
                           MessageButtons buttons = MessageButtons::kOk) override {
    const Box box{text, title, icon, buttons};
    boxes_.push_back(box);
    if (on_box_) on_box_(box);
    if (answers_.empty()) return UnansweredBox(buttons);
    const MessageAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  void MessageBoxWithDetails(const std::string& text, const std::string& title, MessageIcon icon,
                             const std::string& details) override {
    details_.push_back(details);
    MessageBox(text, title, icon);
  }
  void Beep() override { ++beeps_; }

  void QueueAnswer(MessageAnswer answer) { answers_.push_back(answer); }
  // Runs inside each box, as if the user acted while it was shown.
  void SetOnBox(std::function<void(const Box&)> on_box) { on_box_ = std::move(on_box); }

  const std::vector<Box>& boxes() const { return boxes_; }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const Box& box : boxes_) texts.push_back(box.text);
    return texts;
  }
  const std::vector<std::string>& details() const { return details_; }
  int beeps() const { return beeps_; }
  void Clear() {
    boxes_.clear();
    details_.clear();
    answers_.clear();
    beeps_ = 0;
  }

 private:
  std::vector<Box> boxes_;
  std::vector<std::string> details_;
  std::deque<MessageAnswer> answers_;
  std::function<void(const Box&)> on_box_;
  int beeps_ = 0;
};

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_FAKE_DIALOGS_H_
