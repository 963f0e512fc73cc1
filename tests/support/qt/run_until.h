#ifndef TOLVANE_TESTS_SUPPORT_QT_RUN_UNTIL_H_
#define TOLVANE_TESTS_SUPPORT_QT_RUN_UNTIL_H_

#include <functional>

namespace tolvane::testing {

// Runs Qt's event loop until `done` holds or `timeout_ms` have passed;
// whether it holds.
bool RunUntil(const std::function<bool()>& done, int timeout_ms = 10000);

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_QT_RUN_UNTIL_H_
