#include "ui/main_window_widget.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QColor>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include "bulk/group_sending.h"
#include "platform/qt/qt_text.h"
#include "ui/message_text_box.h"
#include "ui/window_place.h"

namespace tolvane {
MainWindowWidget::MainWindowWidget(QWidget* parent) : QMainWindow(parent) {
  BuildControls();
  BuildMenus();
}

MainWindowWidget::ListBox MainWindowWidget::AddListBox(QWidget* parent, const char* name) {
  ListBox box{new QListView(parent), new ListStateModel(this)};
  box.view->setObjectName(QString::fromLatin1(name));
  // Every row one line high: the view then lays out a long list without
  // asking for each row.
  box.view->setUniformItemSizes(true);
  box.view->setModel(box.model);
  return box;
}

QAbstractButton* MainWindowWidget::Button(MainControl control) const {
  return buttons_[static_cast<size_t>(control)];
}

void MainWindowWidget::BuildControls() {
  auto* central = new QWidget(this);
  auto* layout = new QGridLayout(central);

  auto add_button = [this](MainControl control, QAbstractButton* button) {
    buttons_[static_cast<size_t>(control)] = button;
    return button;
  };

  auto* message_label = new QLabel(QStringLiteral("Message to send:"), central);
  message_box_ = new QPlainTextEdit(central);
  message_box_->setObjectName(QStringLiteral("messageBox"));
  MakeMessageTextBox(message_box_);
  message_label->setBuddy(message_box_);
  auto* new_message = new QToolButton(central);
  new_message->setText(QStringLiteral("New"));
  new_message->setToolTip(QStringLiteral("New message"));
  add_button(MainControl::kNewMessage, new_message);

  auto* status_label = new QLabel(QStringLiteral("Status:"), central);
  status_line_ = new QLabel(central);
  status_line_->setTextFormat(Qt::PlainText);
  status_line_->setObjectName(QStringLiteral("statusLine"));

  auto* recipient_label = new QLabel(QStringLiteral("Recipient:"), central);
  recipients_ = AddListBox(central, "recipients");
  recipients_.view->setAccessibleName(recipient_label->text());
  number_field_ = new QLineEdit(central);
  number_field_->setAccessibleName(QStringLiteral("Phonenumber"));
  auto* options = new QVBoxLayout;
  options->addWidget(add_button(MainControl::kTemporaryNumber, new QCheckBox(central)));
  options->addWidget(add_button(MainControl::kDouble, new QCheckBox(central)));
  options->addWidget(add_button(MainControl::kUsePrefix1, new QRadioButton(central)));
  options->addWidget(add_button(MainControl::kUsePrefix2, new QRadioButton(central)));
  auto* delay_box = new QGroupBox(QStringLiteral("Delayed sending"), central);
  auto* delay_layout = new QHBoxLayout(delay_box);
  delay_layout->addWidget(add_button(MainControl::kDelayNone, new QRadioButton(delay_box)));
  delay_layout->addWidget(add_button(MainControl::kDelayTo, new QRadioButton(delay_box)));
  options->addWidget(delay_box);
  options->addWidget(add_button(MainControl::kAutosending, new QCheckBox(central)));
  options->addWidget(add_button(MainControl::kMailchecking, new QCheckBox(central)));

  receipt_frame_ = new QGroupBox(central);
  auto* receipt_layout = new QVBoxLayout(receipt_frame_);
  receipt_line_ = new QLabel(receipt_frame_);
  receipt_line_->setObjectName(QStringLiteral("receiptLine"));
  receipt_line_->setWordWrap(true);
  // The receipt line shows what the SMS centre or the gateway sent: never markup.
  receipt_line_->setTextFormat(Qt::PlainText);
  receipt_line_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  receipt_layout->addWidget(receipt_line_);
  error_label_ = new QLabel(central);
  error_label_->setTextFormat(Qt::PlainText);

  auto* buttons = new QHBoxLayout;
  buttons_row_ = buttons;
  for (MainControl c : {MainControl::kSend, MainControl::kCancel, MainControl::kGroupSending,
                        MainControl::kMessageButton, MainControl::kPhonebookButton,
                        MainControl::kNow, MainControl::kExitButton}) {
    buttons->addWidget(add_button(c, new QPushButton(central)));
  }

  Button(MainControl::kMailchecking)->setToolTip(QStringLiteral("Turn on Mailchecking"));
  Button(MainControl::kNow)->setToolTip(QStringLiteral("Check mail NOW"));

  // Below the rest, shown in group mode (the window grows to show it).
  group_panel_ = new QWidget(central);
  auto* group_layout = new QGridLayout(group_panel_);
  group_layout->setContentsMargins(0, 0, 0, 0);
  groups_ = AddListBox(group_panel_, "groupList");
  members_ = AddListBox(group_panel_, "memberList");
  groups_.view->setAccessibleName(QStringLiteral("Grupp"));
  members_.view->setAccessibleName(QStringLiteral("Gruppmedlemmar"));
  group_layout->addWidget(new QLabel(QStringLiteral("Grupp"), group_panel_), 0, 0);
  group_layout->addWidget(new QLabel(QStringLiteral("Gruppmedlemmar"), group_panel_), 0, 1);
  group_layout->addWidget(groups_.view, 1, 0);
  group_layout->addWidget(members_.view, 1, 1);
  group_layout->addWidget(add_button(MainControl::kSendToGroup, new QPushButton(group_panel_)), 2,
                          0);
  Button(MainControl::kDelayNone)->setToolTip(QStringLiteral("No delay"));
  Button(MainControl::kDelayTo)->setToolTip(QStringLiteral("Delayed sending"));

  layout->addWidget(message_label, 0, 0);
  layout->addWidget(new_message, 0, 1, Qt::AlignRight);
  layout->addWidget(message_box_, 1, 0, 1, 2);
  layout->addWidget(status_label, 2, 0);
  layout->addWidget(status_line_, 3, 0, 1, 2);
  layout->addWidget(recipient_label, 4, 0);
  layout->addWidget(recipients_.view, 5, 0);
  layout->addLayout(options, 5, 1);
  layout->addWidget(number_field_, 6, 0);
  layout->addWidget(receipt_frame_, 7, 0, 1, 2);
  layout->addWidget(error_label_, 8, 0, 1, 2);
  layout->addLayout(buttons, 9, 0, 1, 2);
  layout->addWidget(group_panel_, 10, 0, 1, 2);
  setCentralWidget(central);
}

void MainWindowWidget::BuildMenus() {
  auto add_action = [this](QMenu* menu, MainControl control) {
    QAction* action = menu->addAction(QString());
    actions_[static_cast<size_t>(control)] = action;
    return action;
  };
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file_menu_ = file;
  add_action(file, MainControl::kMenuMessage);
  add_action(file, MainControl::kMenuPhonebook);
  add_action(file, MainControl::kMenuSettings);
  file->addSeparator();
  add_action(file, MainControl::kMenuExit);
  QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
  add_action(edit, MainControl::kMenuCut);
  add_action(edit, MainControl::kMenuCopy);
  add_action(edit, MainControl::kMenuPaste);
  connect(edit, &QMenu::aboutToShow, this, [this] {
    if (presenter_) presenter_->OnEditMenuOpening(message_box_->textCursor().hasSelection());
  });
  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  add_action(help, MainControl::kMenuHelpTopics);
  add_action(help, MainControl::kMenuAbout);
}

void MainWindowWidget::Bind(MainWindow* presenter) {
  presenter_ = presenter;
  MainWindow* p = presenter;
  auto on_click = [this](MainControl control, auto action) {
    connect(Button(control), &QAbstractButton::clicked, this, action);
  };
  on_click(MainControl::kSend, [p] { p->StartSend(); });
  on_click(MainControl::kCancel, [p] { p->CancelSend(); });
  on_click(MainControl::kGroupSending, [p] { p->OnGroupSendingToggled(); });
  on_click(MainControl::kMessageButton, [p] { p->OpenQuickMessages(); });
  on_click(MainControl::kPhonebookButton, [p] { p->OpenPhoneBook(); });
  on_click(MainControl::kExitButton, [p] { p->Exit(); });
  on_click(MainControl::kNewMessage, [p] { p->NewMessage(); });
  on_click(MainControl::kDouble,
           [this, p] { p->OnDoubleToggled(Button(MainControl::kDouble)->isChecked()); });
  on_click(MainControl::kTemporaryNumber, [this, p] {
    p->OnTemporaryNumberToggled(Button(MainControl::kTemporaryNumber)->isChecked());
  });
  on_click(MainControl::kAutosending,
           [this, p] { p->OnAutosendingClicked(Button(MainControl::kAutosending)->isChecked()); });
  on_click(MainControl::kSendToGroup, [p] { p->Groups().SendToGroup(); });
  on_click(MainControl::kDelayNone, [p] { p->OnDelayNone(); });
  on_click(MainControl::kDelayTo, [p] { p->OnDelayTo(); });
  on_click(MainControl::kMailchecking, [this, p] {
    p->Mail().OnMailcheckingToggled(Button(MainControl::kMailchecking)->isChecked());
  });
  on_click(MainControl::kNow, [p] { p->Mail().CheckNow(); });
  on_click(MainControl::kUsePrefix1, [p] { p->OnPrefixChosen(1); });
  on_click(MainControl::kUsePrefix2, [p] { p->OnPrefixChosen(2); });

  auto on_action = [this](MainControl control, auto action) {
    connect(actions_[static_cast<size_t>(control)], &QAction::triggered, this, action);
  };
  on_action(MainControl::kMenuMessage, [p] { p->OpenQuickMessages(); });
  on_action(MainControl::kMenuPhonebook, [p] { p->OpenPhoneBook(); });
  on_action(MainControl::kMenuSettings, [p] { p->OpenSettings(); });
  on_action(MainControl::kMenuExit, [p] { p->Exit(); });
  on_action(MainControl::kMenuHelpTopics, [p] { p->ShowHelpTopics(); });
  on_action(MainControl::kMenuAbout, [p] { p->ShowAbout(); });
  // The selection in the program's text, where each line break is two characters.
  auto selection = [this] {
    QTextCursor cursor = message_box_->textCursor();
    const QString shown = message_box_->toPlainText();
    auto position = [&shown](int at) {
      return static_cast<int>(MessageFromQString(shown.left(at)).size());
    };
    int start = position(cursor.selectionStart());
    return std::pair<int, int>(start, position(cursor.selectionEnd()) - start);
  };
  on_action(MainControl::kMenuCut, [p, selection] {
    auto [start, length] = selection();
    p->Cut(start, length);
  });
  on_action(MainControl::kMenuCopy, [p, selection] {
    auto [start, length] = selection();
    p->Copy(start, length);
  });
  on_action(MainControl::kMenuPaste, [p, selection] {
    auto [start, length] = selection();
    p->Paste(start, length);
  });

  // Every change of the box reaches the presenter, however it was made.
  connect(message_box_, &QPlainTextEdit::textChanged, this, [this, p] {
    if (rendering_) return;
    answering_edit_ = true;
    p->OnMessageEdited(MessageFromQString(message_box_->toPlainText()));
    answering_edit_ = false;
  });
  connect(number_field_, &QLineEdit::textEdited, this,
          [p](const QString& text) { p->OnNumberEdited(FromQString(text)); });
  connect(recipients_.view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this, p](const QModelIndex& current) {
            if (!rendering_ && current.isValid()) p->OnRecipientChosen(current.row());
          });
  connect(groups_.view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this, p](const QModelIndex& current) {
            if (!rendering_ && current.isValid()) p->Groups().OnGroupChosen(current.row());
          });

  presenter_->SetOnChanged([this] { Render(); });
  Render();
}

void MainWindowWidget::RenderList(const ListBox& box, const ListState& state) {
  box.model->Show(state.items);
  if (box.view->currentIndex().row() != state.selected) {
    box.view->setCurrentIndex(box.model->index(state.selected));
  }
  box.view->setEnabled(state.enabled);
  box.view->setVisible(state.visible);
}

void MainWindowWidget::Render() {
  if (presenter_ == nullptr || rendering_) return;
  rendering_ = true;
  const MainWindow& p = *presenter_;
  setWindowTitle(ToQString(p.Caption()));

  const ControlState& box = p.Control(MainControl::kMessageBox);
  ShowMessageText(message_box_, MessageToQString(box.text), answering_edit_);
  message_box_->setEnabled(box.enabled);
  message_box_->setToolTip(ToQString(box.tool_tip));
  const ControlState& status = p.Control(MainControl::kStatusLine);
  status_line_->setText(ToQString(status.text));
  QPalette status_palette = palette();
  // A dark red, readable on a light window, for a message over its limit.
  if (status.warning) status_palette.setColor(QPalette::WindowText, QColor(0xC0, 0x00, 0x00));
  status_line_->setPalette(status_palette);
  receipt_frame_->setTitle(ToQString(p.Control(MainControl::kReceiptFrame).text));
  receipt_line_->setText(ToQString(p.Control(MainControl::kReceiptLine).text));
  const ControlState& number = p.Control(MainControl::kNumberField);
  if (number_field_->text() != ToQString(number.text))
    number_field_->setText(ToQString(number.text));
  number_field_->setEnabled(number.enabled);
  const ControlState& error = p.Control(MainControl::kErrorLabel);
  error_label_->setText(ToQString(error.text));
  error_label_->setVisible(error.visible);

  for (size_t i = 0; i < buttons_.size(); ++i) {
    QAbstractButton* button = buttons_[i];
    if (button == nullptr) continue;
    const ControlState& state = p.Control(static_cast<MainControl>(i));
    if (static_cast<MainControl>(i) != MainControl::kNewMessage)
      button->setText(ToQString(state.text));
    button->setEnabled(state.enabled);
    button->setVisible(state.visible);
    if (!state.tool_tip.empty()) button->setToolTip(ToQString(state.tool_tip));
    if (button->isCheckable()) button->setChecked(state.checked);
  }
  for (size_t i = 0; i < actions_.size(); ++i) {
    if (actions_[i] == nullptr) continue;
    const ControlState& state = p.Control(static_cast<MainControl>(i));
    actions_[i]->setText(ToQString(state.text));
    actions_[i]->setEnabled(state.enabled);
  }

  RenderList(recipients_, p.List(MainList::kRecipients));
  RenderList(groups_, p.List(MainList::kGroups));
  RenderList(members_, p.List(MainList::kMembers));
  // The panel, not the group-mode flag, decides the height: entering group
  // mode renders once before the panel shows.
  const bool panel_shown = p.List(MainList::kGroups).visible;
  if (panel_shown && !group_panel_shown_) normal_height_ = height();
  group_panel_->setVisible(panel_shown);
  if (group_panel_shown_ != panel_shown) {
    group_panel_shown_ = panel_shown;
    // Taller in group mode by the group panel, and back to the height it had.
    const int twips_high = p.Groups().WindowHeightTwips() / kTwipsPerPixel;
    // The minimum size follows the shown panel at once, not at the next event.
    centralWidget()->layout()->activate();
    layout()->activate();
    if (group_panel_shown_) {
      resize(width(), std::max(twips_high, normal_height_ + group_panel_->sizeHint().height()));
    } else {
      resize(width(), std::max(twips_high, normal_height_));
    }
  }

  if (p.FocusRequestCount() != focus_count_seen_) {
    focus_count_seen_ = p.FocusRequestCount();
    if (p.FocusRequest() == MainControl::kNumberField) {
      number_field_->setFocus();
    } else {
      message_box_->setFocus();
    }
  }
  rendering_ = false;
}

int MainWindowWidget::TitleBarHeight() const {
  const int known = geometry().top() - frameGeometry().top();
  return known > 0 ? known : style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
}

void MainWindowWidget::ShowPlaced() {
  const auto& placement = presenter_ ? presenter_->PlacementToRestore() : std::nullopt;
  if (placement) {
    // Sized before it is placed: a window that Qt sizes as it shows it gets
    // its client area, not its frame, put at the stored corner.
    if (!testAttribute(Qt::WA_Resized)) adjustSize();
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) screens << screen->availableGeometry();
    const QPoint stored(placement->x / kTwipsPerPixel, placement->y / kTwipsPerPixel);
    move(PlaceTitleBarOnScreen(QRect(stored, frameGeometry().size()), TitleBarHeight(), screens));
  }
  normal_frame_place_ = pos();
  int state = placement ? placement->state : 0;
  if (state == 2) {
    showMaximized();
  } else if (state == 1) {
    showMinimized();
  } else {
    show();
  }
}

// The place is that of the frame's corner, as it was restored. A maximised or
// minimised window has the place it had when last shown normal.
MainWindow::Placement MainWindowWidget::CurrentPlacement() const {
  const bool normal =
      (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) == 0;
  int state = isMaximized() ? 2 : isMinimized() ? 1 : 0;
  QPoint place = normal ? frameGeometry().topLeft() : normal_frame_place_;
  return {state, place.x() * kTwipsPerPixel, place.y() * kTwipsPerPixel};
}

void MainWindowWidget::NoteNormalPlace() {
  if (isVisible() && windowState() == Qt::WindowNoState)
    normal_frame_place_ = frameGeometry().topLeft();
}

void MainWindowWidget::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  NoteNormalPlace();
}

void MainWindowWidget::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange) NoteNormalPlace();
}

void MainWindowWidget::closeEvent(QCloseEvent* event) {
  if (on_close_) on_close_();
  event->accept();
}

void MainWindowWidget::AddMessagesEntry(const std::string& caption, std::function<void()> open) {
  messages_button_ = new QPushButton(centralWidget());
  // Beside "&Phoneb...": after the send buttons, before "No&w" and "E&xit".
  buttons_row_->insertWidget(buttons_row_->count() - 2, messages_button_);
  QAction* entry = new QAction(QStringLiteral("M&essages..."), this);
  entry->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
  file_menu_->insertAction(file_menu_->actions().value(2), entry);
  connect(messages_button_, &QPushButton::clicked, this, open);
  connect(entry, &QAction::triggered, this, open);
  SetMessagesCaption(caption);
}

void MainWindowWidget::ShowReceiving(const std::string& text) {
  // Created on the first state: a program that never receives shows no bar.
  if (receiving_ == nullptr) {
    receiving_ = new QLabel(this);
    receiving_->setObjectName(QStringLiteral("receiving"));
    statusBar()->addPermanentWidget(receiving_);
  }
  receiving_->setText(ToQString(text));
  receiving_->setAccessibleName(ToQString(text));
}

void MainWindowWidget::SetMessagesCaption(const std::string& caption) {
  messages_button_->setText(ToQString(caption));
  messages_button_->setAccessibleName(ToQString(caption).remove(QLatin1Char('&')));
}

}  // namespace tolvane
