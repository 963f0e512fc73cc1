#ifndef TOLVANE_UI_TRANSPORT_PAGE_WIDGET_H_
#define TOLVANE_UI_TRANSPORT_PAGE_WIDGET_H_

#include <QGroupBox>
#include <functional>
#include <vector>

#include "settings_dialog/transport_settings_page.h"

namespace tolvane {

// A transport's page of the settings dialog on screen: a frame with a box,
// check box or drop-down list for each field, shown while its transport is
// chosen. It hands every edit to the page and renders the page's state.
class TransportPageWidget : public QGroupBox {
  Q_OBJECT

 public:
  // `in_tab_order` says whether the page's tab is the one shown.
  TransportPageWidget(TransportSettingsPage& page, std::function<bool()> in_tab_order,
                      QWidget* parent = nullptr);
  ~TransportPageWidget() override;

  // The widget of a field, for tests.
  QWidget* Field(size_t field) const { return fields_[field]; }
  void Render();

 private:
  TransportSettingsPage& page_;
  std::function<bool()> in_tab_order_;
  std::vector<QWidget*> fields_;
  int focus_count_seen_ = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_UI_TRANSPORT_PAGE_WIDGET_H_
