#include "core/compose_rules.h"

#include "core/main_window.h"
#include "core/message_fields.h"
#include "platform/clipboard.h"
#include "platform/dialogs.h"
#include "sms/compose_counter.h"
#include "text/text_helpers.h"
#include "text/utf8.h"

namespace tolvane {
namespace {

constexpr char kDoubleToolTip[] = "Double message (320 character)";
constexpr char kDoubleNotNeeded[] =
    "Not needed: this transport sends a long message in linked parts";

}  // namespace

ComposeRules::ComposeRules(MainWindow& window, Dialogs& dialogs, Clipboard& clipboard)
    : window_(window), dialogs_(dialogs), clipboard_(clipboard), preview_(window) {}

void ComposeRules::UpdateCharCount() {
  ControlState& box = window_.Mutable(MainControl::kMessageBox);
  ControlState& double_box = window_.Mutable(MainControl::kDouble);
  const bool counting = !window_.MailCheckRunning();
  const bool splits = window_.ActiveTransport().SplitsLongMessages();
  // A text with fields counts as its longest member's.
  const FieldPreview::Preview preview = preview_.Of(box.text, splits);
  box.tool_tip = preview.tool_tip;
  if (splits) {
    box.max_length = 0;
    double_box.enabled = false;
    double_box.checked = false;
    double_box.tool_tip = kDoubleNotNeeded;
    window_.State().double_message = false;
    if (counting) {
      const ComposeCounter counter =
          CountForCompose(preview.text, window_.Settings().MaxParts, preview.up_to);
      window_.SetStatusLine(counter.text);
      window_.Mutable(MainControl::kStatusLine).warning = counter.over_limit;
    }
    window_.Changed();
    return;
  }
  double_box.enabled = true;
  double_box.tool_tip = kDoubleToolTip;
  box.max_length = double_box.checked ? kDoubleLimit : kSingleLimit;
  if (counting) {
    const size_t length = Utf8Length(preview.text);
    window_.SetStatusLine((preview.up_to ? "up to " : "") + std::to_string(length) +
                          " character in message (Max " + std::to_string(box.max_length) + ").");
    // The box holds no more than its limit; a text with fields may.
    window_.Mutable(MainControl::kStatusLine).warning =
        !preview.tool_tip.empty() && length > static_cast<size_t>(box.max_length);
  }
  window_.Changed();
}

void ComposeRules::OnMessageEdited(const std::string& text) {
  ControlState& box = window_.Mutable(MainControl::kMessageBox);
  box.text = EditedText(box.text, text, static_cast<size_t>(box.max_length));
  // The user's own text, however it got there, is what choosing a recipient
  // or toggling "&Double" puts back.
  window_.State().saved_text = box.text;
  UpdateCharCount();
}

void ComposeRules::OnDoubleToggled(bool checked) {
  window_.Mutable(MainControl::kDouble).checked = checked;
  if (checked && window_.GroupMode()) {
    dialogs_.MessageBox("Double message not allowed for groupsending", "Not double",
                        MessageIcon::kInformation);
    window_.Mutable(MainControl::kDouble).checked = false;
  }
  window_.State().double_message = window_.Control(MainControl::kDouble).checked;
  window_.SetMessageText(window_.State().saved_text);
  window_.RequestFocus(MainControl::kMessageBox);
}

void ComposeRules::SetDoubleMode(bool on) {
  window_.State().double_message = on;
  window_.Mutable(MainControl::kMessageBox).max_length = on ? kDoubleLimit : kSingleLimit;
  window_.Changed();
}

std::string ComposeRules::SendRefusal(const std::string& text) {
  if (std::string problem = FieldProblem(text); !problem.empty()) return problem;
  return HasFields(text) ? "" : TextRefusal(FillFields(text, {}));
}

std::string ComposeRules::RecipientRefusal(const std::string& text, const FieldMember& recipient) {
  window_.State().message = FillFields(text, recipient);
  return TextRefusal(window_.State().message);
}

std::string ComposeRules::TextRefusal(const std::string& text) {
  if (text.empty()) return "The message is empty.";
  Transport& transport = window_.ActiveTransport();
  if (!transport.SplitsLongMessages()) {
    const size_t length = Utf8Length(text);
    if (window_.Control(MainControl::kDouble).checked && !window_.AutosendInProgress() &&
        length <= static_cast<size_t>(kSingleLimit)) {
      return "Message doesn´t exceed 160 character, uncheck Double!";
    }
    // Text put into the box by a program (an order, a file, the saved text
    // after Double was unchecked) is not held to the box's limit; a single
    // frame cannot carry more than 160 characters.
    if (!window_.State().double_message && length > static_cast<size_t>(kSingleLimit)) {
      return "Message exceeds 160 character, check Double!";
    }
  }
  return transport.RefusalOf(text);
}

void ComposeRules::NewMessage() {
  window_.State().saved_text.clear();
  window_.SetMessageText("");
  window_.RequestFocus(MainControl::kMessageBox);
}

void ComposeRules::UseQuickMessage(const std::string& text) {
  window_.State().saved_text = text;
  window_.SetMessageText(text);
}

void ComposeRules::OnEditMenuOpening(bool text_selected) {
  window_.Mutable(MainControl::kMenuCut).enabled = text_selected;
  window_.Mutable(MainControl::kMenuCopy).enabled = text_selected;
  window_.Mutable(MainControl::kMenuPaste).enabled = clipboard_.HasText();
  window_.Changed();
}

void ComposeRules::Copy(int start, int length) {
  CopySelection(clipboard_, window_.MessageText(), start, length);
}

void ComposeRules::Cut(int start, int length) {
  if (auto text = CutSelection(clipboard_, window_.MessageText(), start, length)) {
    OnMessageEdited(*text);
  }
}

void ComposeRules::Paste(int start, int length) {
  if (auto text = PasteOverSelection(clipboard_, window_.MessageText(), start, length)) {
    OnMessageEdited(*text);
  }
}

}  // namespace tolvane
