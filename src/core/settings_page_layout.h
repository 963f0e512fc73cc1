#ifndef TOLVANE_CORE_SETTINGS_PAGE_LAYOUT_H_
#define TOLVANE_CORE_SETTINGS_PAGE_LAYOUT_H_

#include <string>
#include <vector>

namespace tolvane {

// One setting on a transport's page of the settings dialog: a box, a check
// box or a choice, with the rule "&OK" holds it to.
struct SettingsField {
  enum class Kind {
    kText,
    kNumber,    // digits only, from `low` to `high`
    kCheck,     // "1" or "0"
    kChoice,    // one of `choices`
    kDevice,    // a serial device: a path typed, or one of the machine's ports
    kPassword,  // the transport's secret: shows nothing stored, left empty keeps it
  };
  struct Choice {
    std::string value;
    std::string caption;
  };
  std::string caption;
  Kind kind = Kind::kText;
  // The key of the transport's section it edits; none for the password.
  std::string key;
  long low = 0;
  long high = 0;
  // Of a text or the password; 0 for no limit.
  size_t max_length = 0;
  bool required = false;
  std::vector<Choice> choices;
  // The message box of a broken rule.
  std::string refusal;
};

// A transport's page: a frame of fields over its section of tolvmsg.ini.
struct SettingsPageLayout {
  std::string title;  // the frame's caption
  std::string refusal_title;
  // The secret the password field stores, when the page has one.
  std::string secret;
  std::vector<SettingsField> fields;
};

}  // namespace tolvane

#endif  // TOLVANE_CORE_SETTINGS_PAGE_LAYOUT_H_
