#include "ui/quick_messages_dialog.h"

#include <QAction>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QVBoxLayout>
#include <functional>

#include "platform/qt/qt_text.h"
#include "ui/dialog_button.h"
#include "ui/message_text_box.h"

namespace tolvane {

QuickMessagesDialog::QuickMessagesDialog(QuickMessagesWindow& window, QWidget* parent)
    : QDialog(parent), window_(window) {
  setWindowTitle(QuickMessagesWindow::Title());
  setModal(true);

  shown_message_ = new QLabel;
  shown_message_->setObjectName("shownMessage");
  shown_message_->setWordWrap(true);
  shown_message_->setFrameShape(QFrame::StyledPanel);
  shown_message_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  shown_message_->setMinimumSize(360, 80);
  shown_message_->setTextFormat(Qt::PlainText);
  number_ = new QLabel;
  number_->setObjectName("number");
  total_ = new QLabel;
  total_->setObjectName("total");
  scroll_bar_ = new QScrollBar(Qt::Horizontal);
  scroll_bar_->setObjectName("scrollBar");
  scroll_bar_->setAccessibleName("Message");
  scroll_bar_->setMinimum(1);
  scroll_bar_->setPageStep(1);
  entry_box_ = new QPlainTextEdit;
  entry_box_->setObjectName("entryBox");
  MakeMessageTextBox(entry_box_);
  char_count_ = new QLabel;
  char_count_->setObjectName("charCount");

  auto make_button = [this](const char* name, std::function<void()> action) {
    return MakeDialogButton(this, name, std::move(action));
  };
  add_button_ = make_button("addButton", [this] { window_.Add(); });
  delete_button_ = make_button("deleteButton", [this] { window_.Delete(); });
  use_button_ = make_button("useButton", [this] { window_.Use(); });
  close_button_ = make_button("closeButton", [this] { window_.Close(); });

  auto* menu_bar = new QMenuBar(this);
  QMenu* edit = menu_bar->addMenu("&Edit");
  cut_ = edit->addAction(QString());
  copy_ = edit->addAction(QString());
  paste_ = edit->addAction(QString());
  connect(edit, &QMenu::aboutToShow, this,
          [this] { window_.OnEditMenuOpening(entry_box_->textCursor().hasSelection()); });
  connect(cut_, &QAction::triggered, this, [this] {
    auto [start, length] = Selection();
    window_.Cut(start, length);
  });
  connect(copy_, &QAction::triggered, this, [this] {
    auto [start, length] = Selection();
    window_.Copy(start, length);
  });
  connect(paste_, &QAction::triggered, this, [this] {
    auto [start, length] = Selection();
    window_.Paste(start, length);
  });

  connect(scroll_bar_, &QScrollBar::valueChanged, this, [this](int position) {
    if (!rendering_) window_.Step(position);
  });
  connect(entry_box_, &QPlainTextEdit::textChanged, this, [this] {
    if (!rendering_) window_.EditEntry(MessageFromQString(entry_box_->toPlainText()));
  });

  auto* heading = new QHBoxLayout;
  heading->addWidget(new QLabel("Message"));
  heading->addStretch();
  heading->addWidget(number_);
  heading->addWidget(new QLabel("of"));
  heading->addWidget(total_);
  auto* entry_heading = new QHBoxLayout;
  auto* entry_label = new QLabel("New message:");
  entry_label->setBuddy(entry_box_);
  entry_heading->addWidget(entry_label);
  entry_heading->addStretch();
  entry_heading->addWidget(new QLabel("Number of character (max 320)"));
  entry_heading->addWidget(char_count_);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* button : {add_button_, delete_button_, use_button_, close_button_}) {
    buttons->addWidget(button);
  }
  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(menu_bar);
  layout->addLayout(heading);
  layout->addWidget(shown_message_);
  layout->addWidget(scroll_bar_);
  layout->addLayout(entry_heading);
  layout->addWidget(entry_box_);
  layout->addLayout(buttons);

  window_.SetOnChanged([this] { Render(); });
  window_.Open();
}

QuickMessagesDialog::~QuickMessagesDialog() { window_.SetOnChanged(nullptr); }

void QuickMessagesDialog::done(int result) {
  QDialog::done(result);
  if (!window_.Closed()) window_.Close();
}

bool QuickMessagesDialog::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) window_.Activate();
  return QDialog::event(event);
}

void QuickMessagesDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (QScreen* screen = this->screen()) {
    QRect free = screen->availableGeometry();
    move(free.center() - rect().center());
  }
}

std::pair<int, int> QuickMessagesDialog::Selection() const {
  const QTextCursor cursor = entry_box_->textCursor();
  const QString text = entry_box_->toPlainText();
  const int start = cursor.selectionStart();
  const int end = cursor.selectionEnd();
  return {static_cast<int>(MessageFromQString(text.left(start)).size()),
          static_cast<int>(MessageFromQString(text.mid(start, end - start)).size())};
}

void QuickMessagesDialog::Render() {
  if (rendering_) return;
  rendering_ = true;
  auto render_button = [](QAbstractButton* button, const ControlState& state) {
    button->setText(ToQString(state.text));
    button->setEnabled(state.enabled);
  };
  auto render_action = [](QAction* action, const ControlState& state) {
    action->setText(ToQString(state.text));
    action->setEnabled(state.enabled);
  };
  shown_message_->setText(MessageToQString(window_.ShownMessage()));
  number_->setText(ToQString(window_.Number()));
  total_->setText(ToQString(window_.Total()));
  // Qt holds the value inside the range itself; an empty list leaves only 1.
  scroll_bar_->setMaximum(std::max(window_.ScrollMaximum(), 1));
  scroll_bar_->setValue(window_.ScrollPosition());
  scroll_bar_->setEnabled(window_.ScrollMaximum() > 1);
  ShowMessageText(entry_box_, MessageToQString(window_.EntryBox().text));
  char_count_->setText(ToQString(window_.CharCount()));
  render_button(add_button_, window_.AddButton());
  render_button(delete_button_, window_.DeleteButton());
  render_button(use_button_, window_.UseButton());
  render_button(close_button_, window_.CloseButton());
  render_action(cut_, window_.MenuCut());
  render_action(copy_, window_.MenuCopy());
  render_action(paste_, window_.MenuPaste());
  if (window_.TakeFocusRequest()) entry_box_->setFocus();
  rendering_ = false;
  if (window_.Closed() && isVisible()) QDialog::done(QDialog::Accepted);
}

}  // namespace tolvane
