#ifndef TOLVANE_UI_SETTINGS_DIALOG_WIDGET_H_
#define TOLVANE_UI_SETTINGS_DIALOG_WIDGET_H_

#include <QDialog>
#include <array>
#include <map>
#include <vector>

#include "settings_dialog/settings_dialog.h"
#include "ui/transport_page_widget.h"

class QComboBox;
class QGridLayout;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QScrollBar;
class QTabWidget;

namespace tolvane {

// The settings dialog on screen: renders the SettingsDialog (and its log
// viewer) and hands it every edit, click, selection and tab change. Closing
// the window by its frame or Escape is "Cancel".
class SettingsDialogWidget : public QDialog {
  Q_OBJECT

 public:
  explicit SettingsDialogWidget(SettingsDialog& dialog, QWidget* parent = nullptr);
  ~SettingsDialogWidget() override;

  // The widget of a control or list, for tests.
  QWidget* Widget(SettingsControl control) const;
  QWidget* Widget(SettingsList list) const;
  QWidget* Widget(LogControl control) const;
  // A field of a transport's page, for tests.
  QWidget* PageField(size_t page, size_t field) const;
  QTabWidget* Tabs() const { return tabs_; }

  void reject() override;

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* BuildCommunicationTab();
  QWidget* BuildDialingTab();
  QWidget* BuildAutosendingTab();
  QWidget* BuildLogTab();
  QWidget* BuildMailTab();
  QLineEdit* Box(SettingsControl control);
  // A captioned box on a row of a grid, over `columns` columns.
  void AddRow(QGridLayout* grid, int row, const char* caption, SettingsControl box,
              int columns = 1);
  QWidget* Button(SettingsControl control);
  QWidget* CheckBox(SettingsControl control);
  QWidget* Option(SettingsControl control);
  QComboBox* ComboList(SettingsList list);
  QListWidget* ListBox(SettingsList list);
  QScrollBar* NumberScrollBar(SettingsControl box, int min, int max);
  QWidget* LogWidget(LogControl control, QWidget* widget);
  // Takes a control out of the Tab order, or gives it back the policy it was built with.
  void SetInTabOrder(QWidget* widget, bool in_order);
  void Render();
  void FitToScreen();
  void RenderLog();

  SettingsDialog& dialog_;
  LogViewer& log_;
  bool rendering_ = false;
  int focus_count_seen_ = 0;
  int log_focus_count_seen_ = 0;
  QTabWidget* tabs_ = nullptr;
  QComboBox* device_ = nullptr;
  std::array<QWidget*, static_cast<size_t>(SettingsControl::kCount)> controls_{};
  std::array<QWidget*, static_cast<size_t>(SettingsList::kCount)> lists_{};
  std::array<QWidget*, static_cast<size_t>(LogControl::kCount)> log_controls_{};
  std::map<SettingsControl, QScrollBar*> scroll_bars_;
  std::vector<QRadioButton*> page_options_;
  std::vector<TransportPageWidget*> pages_;
  // Which pages were shown at the last rendering.
  std::vector<bool> pages_shown_;
  // The focus policy each control was built with, for the tab rule.
  std::map<QWidget*, Qt::FocusPolicy> focus_policies_;
};

}  // namespace tolvane

#endif  // TOLVANE_UI_SETTINGS_DIALOG_WIDGET_H_
