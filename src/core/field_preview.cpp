#include "core/field_preview.h"

#include <tuple>

#include "bulk/group_sending.h"
#include "core/main_window.h"
#include "sms/message_splitter.h"
#include "text/utf8.h"

namespace tolvane {
namespace {

// How long a text is for the counter: parts first, then the room they use.
std::tuple<size_t, int> Size(const std::string& text, bool splits) {
  if (!splits) return {Utf8Length(text), 0};
  const TextParts split = SplitIntoParts(text);
  return {split.parts.size(), -split.left_in_last};
}

}  // namespace

FieldPreview::Preview FieldPreview::Of(const std::string& text, bool splits) {
  // Without fields every member gets the text with its doubled braces single.
  Preview preview{FillFields(text, {}), false, ""};
  if (!HasFields(text)) return preview;
  if (const std::string problem = FieldProblem(text); !problem.empty()) {
    // Counted as typed: it cannot be filled.
    preview.text = text;
    preview.tool_tip = problem;
    return preview;
  }
  const std::vector<FieldMember> members = Members();
  if (members.empty()) return preview;
  const FieldMember& first = members.front();
  preview.text = FillFields(text, first);
  preview.tool_tip = "To " + (first.name.empty() ? first.number : first.name) + ": " + preview.text;
  preview.up_to = members.size() > 1;
  for (const FieldMember& member : members) {
    std::string filled = FillFields(text, member);
    if (Size(filled, splits) > Size(preview.text, splits)) preview.text = std::move(filled);
  }
  return preview;
}

std::vector<FieldMember> FieldPreview::Members() {
  if (window_.GroupMode()) {
    const ListState& list = window_.List(MainList::kMembers);
    if (list.items.revision() != members_revision_) {
      members_revision_ = list.items.revision();
      group_members_ = window_.Groups().ChosenMembers();
    }
    return group_members_;
  }
  const std::string& number = window_.Control(MainControl::kNumberField).text;
  if (window_.Control(MainControl::kTemporaryNumber).checked) return {{"", number}};
  const ListState& people = window_.List(MainList::kRecipients);
  if (!people.HasSelection()) return {};
  return {{people.SelectedText(), number}};
}

}  // namespace tolvane
