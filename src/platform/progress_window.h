#ifndef TOLVANE_PLATFORM_PROGRESS_WINDOW_H_
#define TOLVANE_PLATFORM_PROGRESS_WINDOW_H_

#include <string>

namespace tolvane {

// A modal window with a progress bar and Cancel, for a long piece of work
// done on the one thread: each step shows how far it is and runs the events
// pending meanwhile, so the window repaints and Cancel can be pressed. Texts
// are UTF-8.
class ProgressWindow {
 public:
  virtual ~ProgressWindow() = default;
  virtual void Open(const std::string& title, const std::string& label, int maximum) = 0;
  // False once the user cancelled: Cancel, Escape or the window's frame.
  virtual bool Advance(int value) = 0;
  virtual void Close() = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_PROGRESS_WINDOW_H_
