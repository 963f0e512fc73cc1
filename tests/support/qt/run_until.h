#ifndef TOLVANE_TESTS_SUPPORT_QT_RUN_UNTIL_H_
#define TOLVANE_TESTS_SUPPORT_QT_RUN_UNTIL_H_

#include <QEventLoop>
#include <QTimer>
#include <functional>

namespace tolvane::testing {

// Runs Qt's event loop until `done` holds or `timeout_ms` have passed;
// whether it holds.
inline bool RunUntil(const std::function<bool()>& done, int timeout_ms = 10000) {
  if (done()) return true;
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (done()) loop.quit();
  });
  poll.start(5);
  QTimer::singleShot(timeout_ms, &loop, &QEventLoop::quit);
  loop.exec();
  return done();
}

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_QT_RUN_UNTIL_H_
