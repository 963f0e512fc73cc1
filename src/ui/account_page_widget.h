#ifndef TOLVANE_UI_ACCOUNT_PAGE_WIDGET_H_
#define TOLVANE_UI_ACCOUNT_PAGE_WIDGET_H_

#include <QGroupBox>
#include <functional>
#include <vector>

#include "settings_dialog/account_settings_page.h"

class QComboBox;

namespace tolvane {

// Makes a screen reader name the drop-down list by its caption (its accessible
// name, else the label it is the buddy of), with its chosen entry as its
// value; Qt's own on Linux gives the entry as the name, so that "21" or "00"
// is all the user hears. Called before the list is filled.
void HearByCaption(QComboBox* box);

// A provider's page of the settings dialog on screen: a frame with a box,
// check box or drop-down list for each field, shown while its transport is
// chosen. It hands every edit to the page and renders the page's state.
class AccountPageWidget : public QGroupBox {
  Q_OBJECT

 public:
  // `in_tab_order` says whether the page's tab is the one shown.
  AccountPageWidget(AccountSettingsPage& page, std::function<bool()> in_tab_order,
                    QWidget* parent = nullptr);
  ~AccountPageWidget() override;

  // The widget of a field, for tests.
  QWidget* Field(size_t field) const { return fields_[field]; }
  void Render();

 private:
  AccountSettingsPage& page_;
  std::function<bool()> in_tab_order_;
  std::vector<QWidget*> fields_;
  int focus_count_seen_ = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_UI_ACCOUNT_PAGE_WIDGET_H_
