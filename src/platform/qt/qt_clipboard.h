#ifndef TOLVANE_PLATFORM_QT_QT_CLIPBOARD_H_
#define TOLVANE_PLATFORM_QT_QT_CLIPBOARD_H_

#include "platform/clipboard.h"

namespace tolvane {

// The system clipboard through Qt; texts converted at this edge.
class QtClipboard : public Clipboard {
 public:
  bool HasText() const override;
  std::string Text() const override;
  void SetText(const std::string& text) override;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_QT_QT_CLIPBOARD_H_
