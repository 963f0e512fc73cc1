#include "support/fake_dialogs.h"

namespace tolvane::testing {

MessageAnswer FakeDialogs::MessageBox(const std::string& text, const std::string& title,
                                      MessageIcon icon, MessageButtons buttons) {
  Box box{text, title, icon, buttons};
  boxes_.push_back(box);
  if (on_box_) on_box_(box);
  if (!answers_.empty()) {
    MessageAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  return UnansweredBox(buttons);
}

std::vector<std::string> FakeDialogs::Texts() const {
  std::vector<std::string> texts;
  for (const Box& box : boxes_) texts.push_back(box.text);
  return texts;
}

void FakeDialogs::Clear() {
  boxes_.clear();
  answers_.clear();
  beeps_ = 0;
}

}  // namespace tolvane::testing
