#ifndef TOLVANE_PLATFORM_CLIPBOARD_H_
#define TOLVANE_PLATFORM_CLIPBOARD_H_

#include <optional>
#include <string>

namespace tolvane {

// The system clipboard; texts are UTF-8.
class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual bool HasText() const = 0;
  virtual std::string Text() const = 0;
  virtual void SetText(const std::string& text) = 0;
};

// The Edit menu's actions on the selection of a text box holding `text`
// (start and length in bytes of the program's text, which never split a
// character). Cut and paste give the box's new text,
// or nothing when the box stays as it is.
void CopySelection(Clipboard& clipboard, const std::string& text, int start, int length);
std::optional<std::string> CutSelection(Clipboard& clipboard, const std::string& text, int start,
                                        int length);
std::optional<std::string> PasteOverSelection(Clipboard& clipboard, const std::string& text,
                                              int start, int length);

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_CLIPBOARD_H_
