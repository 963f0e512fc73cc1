#ifndef TOLVANE_PLATFORM_DIALOGS_H_
#define TOLVANE_PLATFORM_DIALOGS_H_

#include <string>

namespace tolvane {

enum class MessageIcon { kNone, kInformation, kQuestion, kExclamation, kCritical };
// kContinueShowDrop: what becomes of a run cut short.
enum class MessageButtons { kOk, kYesNo, kSaveDiscardCancel, kContinueShowDrop };
enum class MessageAnswer { kOk, kYes, kNo, kSave, kDiscard, kCancel, kContinue, kShow, kDrop };

// What a box answers when nobody answers it (closed by Escape, or no display
// to show it): OK, No or Cancel, so that nothing is written, sent or lost.
inline MessageAnswer UnansweredBox(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::kYesNo:
      return MessageAnswer::kNo;
    case MessageButtons::kSaveDiscardCancel:
    case MessageButtons::kContinueShowDrop:
      return MessageAnswer::kCancel;
    case MessageButtons::kOk:
      break;
  }
  return MessageAnswer::kOk;
}

// Message boxes and the system beep. Texts are UTF-8.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual MessageAnswer MessageBox(const std::string& text, const std::string& title,
                                   MessageIcon icon,
                                   MessageButtons buttons = MessageButtons::kOk) = 0;
  // An OK box whose `details` (many lines) show on the user's request.
  virtual void MessageBoxWithDetails(const std::string& text, const std::string& title,
                                     MessageIcon icon, const std::string& details) = 0;
  virtual void Beep() = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_DIALOGS_H_
