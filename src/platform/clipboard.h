#ifndef TOLVANE_PLATFORM_CLIPBOARD_H_
#define TOLVANE_PLATFORM_CLIPBOARD_H_

#include <string>

namespace tolvane {

// The system clipboard; texts are 8-bit.
class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual bool HasText() const = 0;
  virtual std::string Text() const = 0;
  virtual void SetText(const std::string& text) = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_CLIPBOARD_H_
