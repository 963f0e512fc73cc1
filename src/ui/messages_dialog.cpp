#include "ui/messages_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

#include "platform/qt/qt_text.h"
#include "ui/conversation_list_model.h"
#include "ui/message_text_box.h"

namespace tolvane {

namespace {

// A label for `buddy` whose caption is also the control's accessible name.
QLabel* Caption(const QString& text, QWidget* buddy, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setBuddy(buddy);
  buddy->setAccessibleName(QString(text).remove(QLatin1Char('&')).remove(QLatin1Char(':')));
  return label;
}

QPushButton* AddButton(const QString& text, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setAccessibleName(QString(text).remove(QLatin1Char('&')));
  button->setAutoDefault(false);
  return button;
}

QLabel* PlainLine(QWidget* parent, const char* name) {
  auto* line = new QLabel(parent);
  line->setObjectName(QString::fromLatin1(name));
  // It shows what others wrote: never markup.
  line->setTextFormat(Qt::PlainText);
  line->setWordWrap(true);
  return line;
}

QStringList ListTexts(const QListWidget* list) {
  QStringList texts;
  for (int row = 0; row < list->count(); ++row) texts << list->item(row)->text();
  return texts;
}

}  // namespace

MessagesDialog::MessagesDialog(MessagesWindow& presenter, QWidget* parent)
    : QDialog(parent), presenter_(presenter) {
  setWindowTitle(QStringLiteral("Messages"));
  auto* left = new QWidget(this);
  auto* left_layout = new QVBoxLayout(left);
  left_layout->setContentsMargins(0, 0, 0, 0);
  search_ = new QLineEdit(left);
  search_->setObjectName(QStringLiteral("search"));
  search_->setClearButtonEnabled(true);
  conversations_ = new QListView(left);
  conversations_->setObjectName(QStringLiteral("conversations"));
  conversations_->setUniformItemSizes(true);
  conversations_->setAlternatingRowColors(true);
  model_ = new ConversationListModel(presenter_, this);
  conversations_->setModel(model_);
  left_layout->addWidget(Caption(QStringLiteral("Sea&rch:"), search_, left));
  left_layout->addWidget(search_);
  left_layout->addWidget(Caption(QStringLiteral("Con&versations:"), conversations_, left));
  left_layout->addWidget(conversations_);
  opt_out_panel_ = new QWidget(left);
  auto* opt_out_layout = new QGridLayout(opt_out_panel_);
  opt_out_layout->setContentsMargins(0, 0, 0, 0);
  opt_outs_ = new QListWidget(opt_out_panel_);
  opt_outs_->setObjectName(QStringLiteral("optOuts"));
  opt_out_number_ = new QLineEdit(opt_out_panel_);
  opt_out_number_->setObjectName(QStringLiteral("optOutNumber"));
  add_opt_out_ = AddButton(QStringLiteral("&Add"), opt_out_panel_);
  remove_opt_out_ = AddButton(QStringLiteral("R&emove"), opt_out_panel_);
  opt_out_layout->addWidget(Caption(QStringLiteral("Opted &out:"), opt_outs_, opt_out_panel_), 0, 0,
                            1, 2);
  opt_out_layout->addWidget(opt_outs_, 1, 0, 1, 2);
  opt_out_layout->addWidget(remove_opt_out_, 2, 1);
  opt_out_layout->addWidget(Caption(QStringLiteral("N&umber:"), opt_out_number_, opt_out_panel_), 3,
                            0);
  opt_out_layout->addWidget(opt_out_number_, 4, 0);
  opt_out_layout->addWidget(add_opt_out_, 4, 1);
  left_layout->addWidget(opt_out_panel_);

  auto* right = new QWidget(this);
  auto* right_layout = new QGridLayout(right);
  right_layout->setContentsMargins(0, 0, 0, 0);
  title_ = PlainLine(right, "conversationTitle");
  messages_ = new QListWidget(right);
  messages_->setObjectName(QStringLiteral("conversation"));
  messages_->setWordWrap(true);
  messages_->setAlternatingRowColors(true);
  reply_ = new QPlainTextEdit(right);
  reply_->setObjectName(QStringLiteral("reply"));
  MakeMessageTextBox(reply_);
  counter_ = PlainLine(right, "counter");
  send_ = AddButton(QStringLiteral("&Send"), right);
  delete_ = AddButton(QStringLiteral("&Delete"), right);
  copy_ = AddButton(QStringLiteral("&Copy"), right);
  copy_->setShortcut(QKeySequence::Copy);
  receive_line_ = PlainLine(right, "receiveLine");
  status_line_ = PlainLine(right, "statusLine");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(counter_, 1);
  buttons->addWidget(send_);
  buttons->addWidget(copy_);
  buttons->addWidget(delete_);
  right_layout->addWidget(title_, 0, 0);
  right_layout->addWidget(Caption(QStringLiteral("&Messages:"), messages_, right), 1, 0);
  right_layout->addWidget(messages_, 2, 0);
  right_layout->addWidget(Caption(QStringLiteral("Rep&ly:"), reply_, right), 3, 0);
  right_layout->addWidget(reply_, 4, 0);
  right_layout->addLayout(buttons, 5, 0);
  right_layout->addWidget(receive_line_, 6, 0);
  right_layout->addWidget(status_line_, 7, 0);
  right_layout->setRowStretch(2, 3);
  right_layout->setRowStretch(4, 1);

  auto* splitter = new QSplitter(this);
  splitter->addWidget(left);
  splitter->addWidget(right);
  splitter->setStretchFactor(1, 2);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(splitter);
  resize(820, 560);

  connect(search_, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (!rendering_) presenter_.OnSearchEdited(FromQString(text));
  });
  connect(conversations_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (!rendering_ && current.isValid()) {
              presenter_.OnConversationChosen(model_->NumberAt(current.row()));
            }
          });
  connect(reply_, &QPlainTextEdit::textChanged, this, [this] {
    if (!rendering_) presenter_.OnReplyEdited(MessageFromQString(reply_->toPlainText()));
  });
  connect(send_, &QPushButton::clicked, this, [this] { presenter_.Send(); });
  connect(delete_, &QPushButton::clicked, this, [this] { presenter_.DeleteShown(); });
  connect(copy_, &QPushButton::clicked, this,
          [this] { presenter_.CopyMessage(messages_->currentRow()); });
  connect(opt_out_number_, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (!rendering_) presenter_.OnOptOutNumberEdited(FromQString(text));
  });
  connect(opt_out_number_, &QLineEdit::returnPressed, this, [this] { presenter_.AddOptOut(); });
  connect(add_opt_out_, &QPushButton::clicked, this, [this] { presenter_.AddOptOut(); });
  connect(remove_opt_out_, &QPushButton::clicked, this,
          [this] { presenter_.RemoveOptOut(opt_outs_->currentRow()); });
  presenter_.SetOnChanged([this](bool list) { Render(list); });
  presenter_.SetOnOpen([this] {
    show();
    raise();
    activateWindow();
  });
  Render(true);
}

void MessagesDialog::hideEvent(QHideEvent* event) {
  presenter_.Closed();
  QDialog::hideEvent(event);
}

void MessagesDialog::Render(bool list) {
  rendering_ = true;
  if (list) {
    model_->Refresh();
    SelectShown();
  }
  title_->setText(ToQString(presenter_.ShownTitle()));
  const auto& shown = presenter_.ShownMessages();
  if (list || rendered_number_ != presenter_.ShownNumber() ||
      messages_->count() != static_cast<int>(shown.size())) {
    rendered_number_ = presenter_.ShownNumber();
    messages_->clear();
    const std::string& them = presenter_.ShownTitle();
    for (const ConversationMessage& message : shown) {
      const std::string who = message.incoming ? them : "Me";
      const std::string state = message.state.empty() ? "" : " (" + message.state + ")";
      messages_->addItem(ToQString(who + ", " + message.time + state + "\n") +
                         MessageToQString(message.text));
    }
    messages_->scrollToBottom();
  }
  if (MessageFromQString(reply_->toPlainText()) != presenter_.Reply()) {
    ShowMessageText(reply_, MessageToQString(presenter_.Reply()));
  }
  counter_->setText(ToQString(presenter_.Counter()));
  send_->setEnabled(presenter_.SendEnabled());
  delete_->setEnabled(presenter_.DeleteEnabled());
  copy_->setEnabled(!shown.empty());
  reply_->setEnabled(!presenter_.ShownNumber().empty());
  receive_line_->setText(ToQString(presenter_.ReceiveLine()));
  status_line_->setText(ToQString(presenter_.StatusLine()));
  opt_out_panel_->setVisible(presenter_.OptOutsShown());
  QStringList opted_out;
  for (const std::string& number : presenter_.OptOuts()) opted_out << ToQString(number);
  if (opted_out != ListTexts(opt_outs_)) {
    opt_outs_->clear();
    opt_outs_->addItems(opted_out);
  }
  if (FromQString(opt_out_number_->text()) != presenter_.OptOutNumber()) {
    opt_out_number_->setText(ToQString(presenter_.OptOutNumber()));
  }
  add_opt_out_->setEnabled(presenter_.AddOptOutEnabled());
  remove_opt_out_->setEnabled(opt_outs_->count() > 0);
  rendering_ = false;
}

void MessagesDialog::SelectShown() {
  for (int row = 0; row < model_->rowCount(); ++row) {
    if (model_->NumberAt(row) == presenter_.ShownNumber()) {
      conversations_->setCurrentIndex(model_->index(row));
      return;
    }
  }
}

}  // namespace tolvane
