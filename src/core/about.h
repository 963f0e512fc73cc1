#ifndef TOLVANE_CORE_ABOUT_H_
#define TOLVANE_CORE_ABOUT_H_

#include <string>

namespace tolvane {

// The program's version, as the build gives it.
std::string ProgramVersion();

// The text of the about box: name, version, what the program does and the
// libraries it is built on.
std::string AboutText();

}  // namespace tolvane

#endif  // TOLVANE_CORE_ABOUT_H_
