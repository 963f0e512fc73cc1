// The main window's place over runs of the program: start-up restores it,
// shutdown stores it, and neither may move it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <array>
#include <string>

#include "core/program.h"
#include "core/settings_file.h"
#include "platform/qt/qt_event_loop.h"
#include "platform/sqlite_phone_book_store.h"
#include "support/window_peripherals.h"
#include "ui/main_window_widget.h"
#include "ui/window_place.h"

namespace tolvane {
namespace {

class WindowPlaceTest : public ::testing::Test, protected testing::WindowPeripherals {
 protected:
  void Store(const std::string& status, const std::string& x, const std::string& y) {
    book.dir().WriteFile("tolvmsg.ini", "[WinPosition]\r\nStatus=" + status + "\r\nXpos=" + x +
                                            "\r\nYpos=" + y + "\r\n");
  }
  // The stored status, Xpos and Ypos.
  std::array<int, 3> Read() const {
    SettingsFile file(book.Folder());
    auto number = [&file](const char* key) {
      return std::stoi(file.ReadSetting("WinPosition", key, "-1"));
    };
    return {number("Status"), number("Xpos"), number("Ypos")};
  }

  // One run of the program without a command line; where the window stood.
  QRect Run() {
    SqlitePhoneBookStore store;
    Program program(Services(loop_), store, host);
    EXPECT_TRUE(program.Startup(book.Folder(), ""));
    MainWindowWidget widget;
    widget.Bind(&program.Window());
    widget.SetOnClose([&] { program.Shutdown(widget.CurrentPlacement()); });
    widget.ShowPlaced();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&widget));
    // A window manager frames the window after it is mapped.
    QTest::qWait(200);
    QRect frame = widget.frameGeometry();
    widget.close();
    return frame;
  }

  QtEventLoop loop_;
};

// A normal window comes back where it stood, over cycles; a maximised one
// keeps its normal place for later. A title bar no screen shows is brought
// back; one at the very corner of the screen stays there.
TEST_F(WindowPlaceTest, StartAndCloseCyclesLeaveThePlaceAsItWasOrBringItOnScreen) {
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  const struct {
    int status, x, y, cycles;
    QPoint shown;  // the frame's corner, if the window is normal
    std::array<int, 3> stored;
  } kCases[] = {
      {0, 1500, 3000, 3, {100, 200}, {0, 1500, 3000}},
      {2, 1500, 3000, 3, {}, {2, 1500, 3000}},
      {0, 0, 0, 1, screen.topLeft(), {0, 0, 0}},
  };
  for (const auto& c : kCases) {
    Store(" " + std::to_string(c.status), " " + std::to_string(c.x), " " + std::to_string(c.y));
    for (int cycle = 0; cycle < c.cycles; ++cycle) {
      SCOPED_TRACE("status " + std::to_string(c.status) + " at " + std::to_string(c.x) +
                   ", cycle " + std::to_string(cycle));
      const QRect frame = Run();
      if (c.status == 0) {
        EXPECT_EQ(frame.topLeft(), c.shown);
      }
      EXPECT_EQ(Read(), c.stored);
    }
  }
  Store(" 0", "-30000", " 30000");
  const QRect frame = Run();
  // The corner and a good grip of the title bar are on the screen.
  EXPECT_TRUE(screen.contains(frame.topLeft()));
  EXPECT_TRUE(screen.contains(frame.topLeft() + QPoint(100, 20)));
}

TEST(PlaceTitleBarOnScreenTest, KeepsAShownTitleBarAndBringsBackAHiddenOne) {
  // Two screens side by side, the right one lower and with a panel on top.
  const QList<QRect> screens = {QRect(0, 0, 1000, 800), QRect(1000, 100, 800, 600)};
  const QSize window(400, 300);
  auto place = [&](QPoint corner) {
    return PlaceTitleBarOnScreen(QRect(corner, window), 20, screens);
  };
  // Mostly off the left edge, but a good grip of the bar still shows.
  EXPECT_EQ(place({-250, 50}), QPoint(-250, 50));
  EXPECT_EQ(place({-350, 50}), QPoint(0, 50));
  // Above the right screen's top edge, or past every screen.
  EXPECT_EQ(place({1200, 90}), QPoint(1200, 100));
  EXPECT_EQ(place({5000, 5000}), QPoint(1400, 680));
}

}  // namespace
}  // namespace tolvane
