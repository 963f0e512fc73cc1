#ifndef TOLVANE_UI_GROUP_PANEL_WIDGET_H_
#define TOLVANE_UI_GROUP_PANEL_WIDGET_H_

#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <optional>

#include "phonebook/group_panel.h"
#include "platform/dialogs.h"

class QDropEvent;
class QLabel;
class QListWidget;
class QMimeData;
class QPushButton;

namespace tolvane {

// The group panel of the phone-book window on screen. Names are dragged from
// the window's name list onto the member list, and members onto the trash
// can, with Qt's drag and drop; the panel decides what a drop does and which
// cursor a target shows (accepted, or refused). Without a mouse, Insert in
// the name list or the member list adds the chosen person and Delete in the
// member list removes the chosen member, as the two buttons do.
class GroupPanelWidget : public QWidget {
  Q_OBJECT

 public:
  // The drag data's type; its content tells which list the drag came from.
  static constexpr char kMimeType[] = "application/x-tolvane-list";

  // `name_list` is the phone-book window's list of people, the source of the
  // names dragged into a group.
  GroupPanelWidget(GroupPanel& panel, Dialogs& dialogs, QListWidget* name_list,
                   QWidget* parent = nullptr);
  ~GroupPanelWidget() override;

  // "&Groups >>", which the window places among its own buttons.
  QPushButton* ToggleButton() const { return toggle_button_; }
  // What a drag from that list carries.
  static QMimeData* DragData(GroupPanel::DragSource source);
  // Shows the panel's state; also after the phone-book window changed, which
  // decides whether a person can be added.
  void Render();

 signals:
  // A drag left the list (it runs until the user releases the mouse).
  void dragStarted(GroupPanel::DragSource source);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OpenNewGroupDialog();
  // Insert and Delete on a list; true when the key was used.
  bool HandleKey(bool in_member_list, QEvent* event);
  void StartDrag(GroupPanel::DragSource source, QWidget* from);
  bool HandleDragEvent(GroupPanel::DropTarget target, QEvent* event);
  bool HandlePlainAreaEvent(QEvent* event);
  // Move, link and ignore stand for the accept, plain and refuse cursors.
  void ShowDragCursor(QDropEvent* drag);

  GroupPanel& panel_;
  Dialogs& dialogs_;
  QListWidget* name_list_;
  QPushButton* toggle_button_;
  QPushButton* new_group_button_;
  QPushButton* delete_group_button_;
  QPushButton* add_member_button_;
  QPushButton* remove_member_button_;
  QLabel* arrow_label_;
  QLabel* drag_hint_;
  QLabel* trash_hint_;
  QLabel* trash_can_;
  QListWidget* groups_;
  QListWidget* members_;
  QWidget* members_viewport_;
  // The name list is the window's; it may go before the panel does.
  QPointer<QWidget> names_viewport_;
  QPointer<QWidget> names_;
  QPointer<QWidget> plain_area_;
  bool rendering_ = false;
  std::optional<bool> shown_open_;
  QPoint press_position_;
};

}  // namespace tolvane

#endif  // TOLVANE_UI_GROUP_PANEL_WIDGET_H_
