#ifndef TOLVANE_CORE_FIELD_PREVIEW_H_
#define TOLVANE_CORE_FIELD_PREVIEW_H_

#include <cstdint>
#include <string>
#include <vector>

#include "core/message_fields.h"

namespace tolvane {

class MainWindow;

// What the message box's text becomes for those the window would send it to
// now: the chosen group's members in group mode, else the chosen person or
// the typed number. The counter counts the longest of their texts and the
// box's tooltip shows the first.
class FieldPreview {
 public:
  struct Preview {
    // The text to count: the longest member's, or the box's own.
    std::string text;
    // Members get texts of their own: the count is an upper bound.
    bool up_to = false;
    // The first member's text with whom it goes to, or what is wrong with
    // a field; empty for a text without fields.
    std::string tool_tip;
  };

  explicit FieldPreview(MainWindow& window) : window_(window) {}

  // `splits`: the transport counts parts rather than characters.
  Preview Of(const std::string& text, bool splits);

 private:
  std::vector<FieldMember> Members();

  MainWindow& window_;
  // The chosen group's members, read again only when the member list changed.
  std::uint64_t members_revision_ = 0;
  std::vector<FieldMember> group_members_;
};

}  // namespace tolvane

#endif  // TOLVANE_CORE_FIELD_PREVIEW_H_
