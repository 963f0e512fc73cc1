#include "ui/group_panel_widget.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <algorithm>
#include <iterator>

#include "phonebook/new_group_dialog.h"
#include "platform/qt/qt_text.h"
#include "ui/dialog_button.h"
#include "ui/new_group_dialog_widget.h"

namespace tolvane {
namespace {

using Source = GroupPanel::DragSource;
using Target = GroupPanel::DropTarget;

// Window widths are kept in twips, 15 to a pixel at 96 dpi.
constexpr int kTwipsPerPixel = 15;
constexpr char kMemberListTag[] = "Groupmembers";

std::optional<Source> SourceOf(const QMimeData* data) {
  if (data == nullptr || !data->hasFormat(GroupPanelWidget::kMimeType)) return std::nullopt;
  return data->data(GroupPanelWidget::kMimeType) == GroupPanel::kNameListTag ? Source::kNameList
                                                                             : Source::kMemberList;
}

void RenderList(QListWidget* widget, const ListState& state) {
  QSignalBlocker blocker(widget);
  QStringList items;
  for (const std::string& item : state.items) items << ToQString(item);
  QStringList shown;
  for (int i = 0; i < widget->count(); ++i) shown << widget->item(i)->text();
  if (items != shown) {
    widget->clear();
    widget->addItems(items);
  }
  widget->setCurrentRow(state.selected);
}

// An arrow with the outline of the dragged entry: what a drag shows where it
// is neither welcome nor refused.
QPixmap PlainDragCursor() {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::black);
  painter.setBrush(Qt::white);
  const QPointF arrow[] = {{1, 1}, {1, 17}, {5, 13}, {8, 20}, {10, 19}, {7, 12}, {12, 12}};
  painter.drawPolygon(arrow, std::size(arrow));
  painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(10, 18, 20, 12);
  return pixmap;
}

void RenderLabel(QLabel* label, const ControlState& state) {
  label->setText(ToQString(state.text));
  label->setVisible(state.visible);
}

void RenderButton(QPushButton* button, const ControlState& state) {
  button->setText(ToQString(state.text));
  // A screen reader says the caption without its mnemonic marker.
  button->setAccessibleName(ToQString(state.text).remove(QLatin1Char('&')));
  button->setEnabled(state.enabled);
}

}  // namespace

GroupPanelWidget::GroupPanelWidget(GroupPanel& panel, Dialogs& dialogs, QListWidget* name_list,
                                   QWidget* parent)
    : QWidget(parent), panel_(panel), dialogs_(dialogs), name_list_(name_list) {
  toggle_button_ = MakeDialogButton(this, "groupsButton", [this] { panel_.Toggle(); });
  new_group_button_ = MakeDialogButton(this, "newGroupButton", [this] { OpenNewGroupDialog(); });
  delete_group_button_ =
      MakeDialogButton(this, "deleteGroupButton", [this] { panel_.DeleteGroup(); });
  add_member_button_ =
      MakeDialogButton(this, "addMemberButton", [this] { panel_.AddChosenPerson(); });
  remove_member_button_ =
      MakeDialogButton(this, "removeMemberButton", [this] { panel_.RemoveChosenMember(); });
  arrow_label_ = new QLabel(this);
  drag_hint_ = new QLabel(this);
  trash_hint_ = new QLabel(this);
  trash_hint_->setWordWrap(true);
  trash_can_ = new QLabel(this);
  trash_can_->setObjectName("trashCan");
  trash_can_->setToolTip("Trash can");
  trash_can_->setPixmap(style()->standardIcon(QStyle::SP_TrashIcon).pixmap(48, 48));
  trash_can_->setMinimumSize(48, 48);
  trash_can_->setAcceptDrops(true);
  trash_can_->installEventFilter(this);
  groups_ = new QListWidget(this);
  groups_->setObjectName("groupList");
  groups_->setAccessibleName("Group");
  members_ = new QListWidget(this);
  members_->setObjectName("memberList");
  members_->setAccessibleName("Groupmembers");
  members_->setAcceptDrops(true);
  members_viewport_ = members_->viewport();
  members_viewport_->setAcceptDrops(true);
  members_viewport_->installEventFilter(this);
  members_->installEventFilter(this);
  names_ = name_list_;
  names_->installEventFilter(this);
  names_viewport_ = name_list_->viewport();
  names_viewport_->installEventFilter(this);
  // The rest of the phone-book window takes a drag with the plain cursor, so
  // a refusal (the forbidden cursor) stands out from it.
  plain_area_ = name_list_->window();
  plain_area_->setAcceptDrops(true);
  plain_area_->installEventFilter(this);

  connect(groups_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (!rendering_) panel_.SelectGroup(row);
  });
  connect(members_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (!rendering_) panel_.SelectMember(row);
  });

  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(arrow_label_, 0, 0);
  layout->addWidget(drag_hint_, 0, 1);
  layout->addWidget(new QLabel("Group", this), 1, 1);
  layout->addWidget(groups_, 2, 1);
  layout->addWidget(new QLabel("Groupmembers", this), 3, 1);
  layout->addWidget(members_, 4, 1);
  auto* buttons = new QGridLayout;
  buttons->addWidget(add_member_button_, 0, 0);
  buttons->addWidget(remove_member_button_, 0, 1);
  buttons->addWidget(new_group_button_, 1, 0);
  buttons->addWidget(delete_group_button_, 1, 1);
  buttons->addWidget(trash_can_, 2, 0, Qt::AlignCenter);
  buttons->addWidget(trash_hint_, 2, 1);
  layout->addLayout(buttons, 5, 1);

  panel_.SetOnChanged([this] { Render(); });
  Render();
}

GroupPanelWidget::~GroupPanelWidget() {
  panel_.SetOnChanged(nullptr);
  if (names_viewport_ != nullptr) names_viewport_->removeEventFilter(this);
  if (names_ != nullptr) names_->removeEventFilter(this);
}

QMimeData* GroupPanelWidget::DragData(Source source) {
  auto* data = new QMimeData;
  data->setData(kMimeType, source == Source::kNameList ? GroupPanel::kNameListTag : kMemberListTag);
  return data;
}

void GroupPanelWidget::Render() {
  rendering_ = true;
  RenderButton(toggle_button_, panel_.ToggleButton());
  RenderButton(new_group_button_, panel_.NewGroupButton());
  RenderButton(delete_group_button_, panel_.DeleteGroupButton());
  RenderButton(add_member_button_, panel_.AddMemberButton());
  RenderButton(remove_member_button_, panel_.RemoveMemberButton());
  RenderLabel(arrow_label_, panel_.ArrowLabel());
  RenderLabel(drag_hint_, panel_.DragHint());
  RenderLabel(trash_hint_, panel_.TrashHint());
  RenderList(groups_, panel_.GroupList());
  RenderList(members_, panel_.MemberList());
  rendering_ = false;

  if (shown_open_ != panel_.IsOpen()) {
    shown_open_ = panel_.IsOpen();
    setVisible(panel_.IsOpen());
    // The window widens for the panel and narrows again, never below what
    // its controls need.
    QWidget* top = window();
    if (top != this && top->layout() != nullptr) {
      top->layout()->activate();
      const int width = panel_.WindowWidthTwips() / kTwipsPerPixel;
      top->resize(std::max(width, top->minimumSizeHint().width()), top->height());
    }
  }
}

void GroupPanelWidget::OpenNewGroupDialog() {
  NewGroupDialog dialog(panel_, dialogs_);
  NewGroupDialogWidget window(dialog, this);
  window.exec();
}

bool GroupPanelWidget::eventFilter(QObject* watched, QEvent* event) {
  // Pointers only: a list may be half destroyed when its viewport reports.
  if (watched == trash_can_) return HandleDragEvent(Target::kTrashCan, event);
  if (watched == members_viewport_ && HandleDragEvent(Target::kMemberList, event)) return true;
  if (watched == plain_area_) return HandlePlainAreaEvent(event);
  if (watched == members_ || watched == names_) {
    return HandleKey(watched == members_, event) || QWidget::eventFilter(watched, event);
  }

  const bool from_names = watched == names_viewport_;
  if (!from_names && watched != members_viewport_) return QWidget::eventFilter(watched, event);
  if (event->type() == QEvent::MouseButtonPress) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton) press_position_ = mouse->position().toPoint();
  } else if (event->type() == QEvent::MouseMove) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    const Source source = from_names ? Source::kNameList : Source::kMemberList;
    if ((mouse->buttons() & Qt::LeftButton) &&
        (mouse->position().toPoint() - press_position_).manhattanLength() >=
            QApplication::startDragDistance() &&
        panel_.CanStartDrag(source)) {
      StartDrag(source, static_cast<QWidget*>(watched));
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

bool GroupPanelWidget::HandleKey(bool in_member_list, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !panel_.IsOpen()) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->modifiers() != Qt::NoModifier && key->modifiers() != Qt::KeypadModifier) return false;
  if (key->key() == Qt::Key_Insert) {
    panel_.AddChosenPerson();
    return true;
  }
  if (key->key() == Qt::Key_Delete && in_member_list) {
    panel_.RemoveChosenMember();
    return true;
  }
  return false;
}

void GroupPanelWidget::StartDrag(Source source, QWidget* from) {
  emit dragStarted(source);
  auto* drag = new QDrag(from);
  drag->setMimeData(DragData(source));
  drag->setDragCursor(PlainDragCursor(), Qt::LinkAction);
  drag->exec(Qt::MoveAction | Qt::LinkAction, Qt::MoveAction);
  // Released anywhere: the cursor is plain again.
  panel_.DragLeave();
}

void GroupPanelWidget::ShowDragCursor(QDropEvent* drag) {
  switch (panel_.Cursor()) {
    case GroupPanel::DragCursor::kAccept:
      drag->acceptProposedAction();
      break;
    case GroupPanel::DragCursor::kPlain:
      drag->setDropAction(Qt::LinkAction);
      drag->accept();
      break;
    case GroupPanel::DragCursor::kRefuse:
      drag->ignore();
      break;
  }
}

bool GroupPanelWidget::HandlePlainAreaEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDropEvent*>(event);
      if (SourceOf(drag->mimeData())) {
        ShowDragCursor(drag);
      } else {
        drag->ignore();
      }
      return true;
    }
    case QEvent::Drop:
      event->ignore();
      return true;
    default:
      return false;
  }
}

bool GroupPanelWidget::HandleDragEvent(Target target, QEvent* event) {
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      std::optional<Source> source = SourceOf(drop->mimeData());
      if (!source) {
        event->ignore();
      } else if (event->type() == QEvent::Drop) {
        drop->acceptProposedAction();
        panel_.Drop(*source, target);
      } else {
        panel_.DragOver(*source, target);
        // The enter is taken so the leave comes too; the moves that follow
        // it show the cursor.
        if (event->type() == QEvent::DragEnter) {
          drop->acceptProposedAction();
        } else {
          ShowDragCursor(drop);
        }
      }
      return true;
    }
    case QEvent::DragLeave:
      panel_.DragLeave();
      return true;
    default:
      return false;
  }
}

}  // namespace tolvane
