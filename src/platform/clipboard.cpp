#include "platform/clipboard.h"

#include <algorithm>

namespace tolvane {
namespace {

bool IsSelection(const std::string& text, int start, int length) {
  return start >= 0 && length > 0 && static_cast<size_t>(start) < text.size();
}

}  // namespace

void CopySelection(Clipboard& clipboard, const std::string& text, int start, int length) {
  if (IsSelection(text, start, length)) clipboard.SetText(text.substr(start, length));
}

std::optional<std::string> CutSelection(Clipboard& clipboard, const std::string& text, int start,
                                        int length) {
  if (!IsSelection(text, start, length)) return std::nullopt;
  CopySelection(clipboard, text, start, length);
  return std::string(text).erase(start, length);
}

std::optional<std::string> PasteOverSelection(Clipboard& clipboard, const std::string& text,
                                              int start, int length) {
  if (!clipboard.HasText()) return std::nullopt;
  std::string pasted = text;
  size_t at = std::min(static_cast<size_t>(std::max(start, 0)), pasted.size());
  pasted.erase(at, std::max(length, 0));
  pasted.insert(at, clipboard.Text());
  return pasted;
}

}  // namespace tolvane
