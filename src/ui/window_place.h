#ifndef TOLVANE_UI_WINDOW_PLACE_H_
#define TOLVANE_UI_WINDOW_PLACE_H_

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace tolvane {

// The settings file keeps a window's place in twips, 15 to a pixel at 96 dpi.
inline constexpr int kTwipsPerPixel = 15;

// Where a window whose frame would cover `frame` is put so that one of the
// screens (their free areas) shows its title bar, the top `title_height`
// pixels of the frame: its own top-left corner when a screen shows the bar
// (all of its height, and at least a good grip of its width), else the
// nearest such place on the screen closest to the window.
QPoint PlaceTitleBarOnScreen(const QRect& frame, int title_height, const QList<QRect>& screens);

// The top-left corner that centres a window of `size` in `area`.
QPoint CentredIn(const QRect& area, const QSize& size);

}  // namespace tolvane

#endif  // TOLVANE_UI_WINDOW_PLACE_H_
