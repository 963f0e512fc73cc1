#include "ui/window_place.h"

#include <algorithm>
#include <limits>

namespace tolvane {
namespace {

// Enough of the title bar to take hold of with the mouse.
constexpr int kGripWidth = 100;

bool ShowsTitleBar(const QRect& screen, const QRect& title_bar) {
  const int overlap =
      std::min(screen.right(), title_bar.right()) - std::max(screen.left(), title_bar.left()) + 1;
  return title_bar.top() >= screen.top() && title_bar.bottom() <= screen.bottom() &&
         overlap >= std::min(kGripWidth, title_bar.width());
}

// Squared distance from `point` to the nearest point of `area`.
long long DistanceSquared(const QRect& area, const QPoint& point) {
  const long long dx = std::max({area.left() - point.x(), 0, point.x() - area.right()});
  const long long dy = std::max({area.top() - point.y(), 0, point.y() - area.bottom()});
  return dx * dx + dy * dy;
}

}  // namespace

QPoint PlaceTitleBarOnScreen(const QRect& frame, int title_height, const QList<QRect>& screens) {
  const QRect title_bar(frame.topLeft(), QSize(frame.width(), std::max(title_height, 1)));
  if (screens.isEmpty()) return frame.topLeft();
  for (const QRect& screen : screens) {
    if (ShowsTitleBar(screen, title_bar)) return frame.topLeft();
  }
  const QRect* nearest = &screens.front();
  long long best = std::numeric_limits<long long>::max();
  for (const QRect& screen : screens) {
    long long distance = DistanceSquared(screen, title_bar.center());
    if (distance < best) {
      best = distance;
      nearest = &screen;
    }
  }
  const int width = std::min(frame.width(), nearest->width());
  const int height = std::min(title_bar.height(), nearest->height());
  return {std::clamp(frame.left(), nearest->left(), nearest->right() + 1 - width),
          std::clamp(frame.top(), nearest->top(), nearest->bottom() + 1 - height)};
}

QPoint CentredIn(const QRect& area, const QSize& size) {
  return {area.x() + (area.width() - size.width()) / 2,
          area.y() + (area.height() - size.height()) / 2};
}

}  // namespace tolvane
