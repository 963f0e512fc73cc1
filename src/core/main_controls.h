#ifndef TOLVANE_CORE_MAIN_CONTROLS_H_
#define TOLVANE_CORE_MAIN_CONTROLS_H_

namespace tolvane {

// The controls of the main window, by role.
enum class MainControl {
  kMessageBox,
  kStatusLine,
  kReceiptFrame,  // caption of the "Receipt:" frame
  kReceiptLine,
  kNumberField,
  kTemporaryNumber,
  kDouble,
  kUsePrefix1,
  kUsePrefix2,
  kDelayNone,
  kDelayTo,
  kSend,
  kCancel,
  kGroupSending,
  kSendToGroup,
  kMessageButton,
  kPhonebookButton,
  kExitButton,
  kNow,
  kNewMessage,
  kAutosending,
  kMailchecking,
  kErrorLabel,
  kMenuMessage,
  kMenuPhonebook,
  kMenuSettings,
  kMenuExit,
  kMenuCut,
  kMenuCopy,
  kMenuPaste,
  kMenuHelpTopics,
  kMenuAbout,
  kCount
};

enum class MainList { kRecipients, kGroups, kMembers, kCount };

}  // namespace tolvane

#endif  // TOLVANE_CORE_MAIN_CONTROLS_H_
