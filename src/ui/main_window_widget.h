#ifndef TOLVANE_UI_MAIN_WINDOW_WIDGET_H_
#define TOLVANE_UI_MAIN_WINDOW_WIDGET_H_

#include <QMainWindow>
#include <QPoint>
#include <array>
#include <functional>

#include "core/main_window.h"
#include "ui/list_state_model.h"

class QAbstractButton;
class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QHBoxLayout;
class QPushButton;
class QPlainTextEdit;

namespace tolvane {

// The main window on screen: renders the presenter's state and forwards the
// user's actions to it. No rule of the program lives here.
class MainWindowWidget : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindowWidget(QWidget* parent = nullptr);

  // Connects to the presenter; it must outlive this window.
  void Bind(MainWindow* presenter);
  // Runs when the window is asked to close (the shutdown).
  void SetOnClose(std::function<void()> on_close) { on_close_ = std::move(on_close); }

  // Shows the window where the presenter says it stood at the last exit, or
  // at its design place.
  void ShowPlaced();
  // Where the window stands now, in twips.
  MainWindow::Placement CurrentPlacement() const;
  // The Messages window's button, showing `caption`, and its File menu
  // entry; both call `open`.
  void AddMessagesEntry(const std::string& caption, std::function<void()> open);
  // The state of the session kept for receiving, in the status bar.
  void ShowReceiving(const std::string& text);
  void SetMessagesCaption(const std::string& caption);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void BuildControls();
  void BuildMenus();
  void Render();
  // One list box on screen: its view and the model the view reads.
  struct ListBox {
    QListView* view = nullptr;
    ListStateModel* model = nullptr;
  };
  ListBox AddListBox(QWidget* parent, const char* name);
  void RenderList(const ListBox& box, const ListState& state);
  QAbstractButton* Button(MainControl control) const;
  int TitleBarHeight() const;
  // Remembers where the frame stands while the window is neither maximised
  // nor minimised.
  void NoteNormalPlace();

  MainWindow* presenter_ = nullptr;
  std::function<void()> on_close_;
  bool rendering_ = false;
  // The presenter is taking the user's edit of the message box.
  bool answering_edit_ = false;
  int focus_count_seen_ = 0;
  bool group_panel_shown_ = false;
  int normal_height_ = 0;
  QPoint normal_frame_place_;

  QPlainTextEdit* message_box_ = nullptr;
  QLabel* status_line_ = nullptr;
  QGroupBox* receipt_frame_ = nullptr;
  QLabel* receipt_line_ = nullptr;
  QLineEdit* number_field_ = nullptr;
  QLabel* error_label_ = nullptr;
  ListBox recipients_;
  ListBox groups_;
  ListBox members_;
  QWidget* group_panel_ = nullptr;
  QHBoxLayout* buttons_row_ = nullptr;
  QMenu* file_menu_ = nullptr;
  QLabel* receiving_ = nullptr;
  QPushButton* messages_button_ = nullptr;
  std::array<QAbstractButton*, static_cast<size_t>(MainControl::kCount)> buttons_{};
  std::array<QAction*, static_cast<size_t>(MainControl::kCount)> actions_{};
};

}  // namespace tolvane

#endif  // TOLVANE_UI_MAIN_WINDOW_WIDGET_H_
