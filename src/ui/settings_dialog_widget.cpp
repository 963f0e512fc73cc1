#include "ui/settings_dialog_widget.h"

#include <algorithm>
#include <array>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/qt/qt_text.h"
#include "ui/list_widgets.h"
#include "ui/window_place.h"

namespace tolvane {
namespace {

using C = SettingsControl;
using L = SettingsList;

// A caption; the box it names hears it as its name in a screen reader,
// rather than the title of the frame around it.
QLabel* Label(const char* text, QWidget* buddy = nullptr) {
  auto* label = new QLabel(ToQString(text));
  label->setBuddy(buddy);
  // A list does not take its name from its buddy, nor the box of a drop-down
  // list that takes typing.
  if (qobject_cast<QAbstractItemView*>(buddy)) buddy->setAccessibleName(label->text());
  if (auto* combo = qobject_cast<QComboBox*>(buddy); combo != nullptr && combo->isEditable()) {
    combo->lineEdit()->setAccessibleName(label->text());
  }
  return label;
}

// A box or list without a caption of its own beside it.
template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
  widget->setAccessibleName(ToQString(name));
  return widget;
}

QGroupBox* Frame(const char* title, QLayout* layout) {
  auto* frame = new QGroupBox(ToQString(title));
  frame->setLayout(layout);
  return frame;
}

// A box that takes digits only refuses anything else as typed, so that the
// caret stays where the user types.
QLineEdit* NewBox(bool digits_only) {
  auto* box = new QLineEdit;
  if (digits_only) {
    box->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), box));
  }
  return box;
}

}  // namespace

SettingsDialogWidget::SettingsDialogWidget(SettingsDialog& dialog, QWidget* parent)
    : QDialog(parent), dialog_(dialog), log_(dialog.Log()) {
  setWindowTitle(SettingsDialog::Title());
  setModal(true);

  tabs_ = new QTabWidget;
  tabs_->addTab(BuildCommunicationTab(), ToQString(SettingsDialog::TabCaption(0)));
  tabs_->addTab(BuildDialingTab(), ToQString(SettingsDialog::TabCaption(1)));
  tabs_->addTab(BuildAutosendingTab(), ToQString(SettingsDialog::TabCaption(2)));
  tabs_->addTab(BuildLogTab(), ToQString(SettingsDialog::TabCaption(3)));
  tabs_->addTab(BuildMailTab(), ToQString(SettingsDialog::TabCaption(4)));
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int tab) {
    if (!rendering_) dialog_.ShowTab(tab);
  });

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Button(C::kOk));
  buttons->addWidget(Button(C::kCancel));
  static_cast<QPushButton*>(Widget(C::kOk))->setDefault(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addLayout(buttons);

  dialog_.SetOnChanged([this] { Render(); });
  log_.SetOnChanged([this] { RenderLog(); });
  Render();
  RenderLog();
}

SettingsDialogWidget::~SettingsDialogWidget() {
  dialog_.SetOnChanged(nullptr);
  log_.SetOnChanged(nullptr);
}

QWidget* SettingsDialogWidget::Widget(SettingsControl control) const {
  return controls_[static_cast<size_t>(control)];
}

QWidget* SettingsDialogWidget::Widget(SettingsList list) const {
  return lists_[static_cast<size_t>(list)];
}

QWidget* SettingsDialogWidget::Widget(LogControl control) const {
  return log_controls_[static_cast<size_t>(control)];
}

QWidget* SettingsDialogWidget::PageField(size_t page, size_t field) const {
  return pages_[page]->Field(field);
}

// --- Building.

QLineEdit* SettingsDialogWidget::Box(SettingsControl control) {
  QLineEdit* box = NewBox(SettingsDialog::DigitsOnly(control));
  controls_[static_cast<size_t>(control)] = box;
  connect(box, &QLineEdit::textEdited, this,
          [this, control](const QString& text) { dialog_.EditText(control, FromQString(text)); });
  connect(box, &QLineEdit::editingFinished, this, [this, control] {
    if (!rendering_) dialog_.LeaveBox(control);
  });
  return box;
}

void SettingsDialogWidget::AddRow(QGridLayout* grid, int row, const char* caption,
                                  SettingsControl box, int columns) {
  grid->addWidget(Label(caption, Box(box)), row, 0);
  grid->addWidget(Widget(box), row, 1, 1, columns);
}

QWidget* SettingsDialogWidget::Button(SettingsControl control) {
  auto* button = new QPushButton;
  button->setAutoDefault(false);
  controls_[static_cast<size_t>(control)] = button;
  connect(button, &QPushButton::clicked, this, [this, control] { dialog_.Press(control); });
  return button;
}

QWidget* SettingsDialogWidget::CheckBox(SettingsControl control) {
  auto* check = new QCheckBox;
  controls_[static_cast<size_t>(control)] = check;
  connect(check, &QCheckBox::clicked, this,
          [this, control](bool checked) { dialog_.SetChecked(control, checked); });
  return check;
}

QWidget* SettingsDialogWidget::Option(SettingsControl control) {
  // Exclusive within its frame, so that a screen reader hears an option and
  // the arrow keys move the choice; the presenter still decides what is
  // chosen, and a stored value that matches no option leaves all unchosen.
  auto* option = new QRadioButton;
  controls_[static_cast<size_t>(control)] = option;
  connect(option, &QRadioButton::clicked, this, [this, control] { dialog_.Choose(control); });
  return option;
}

QComboBox* SettingsDialogWidget::ComboList(SettingsList list) {
  auto* combo = new QComboBox;
  HearByCaption(combo);
  lists_[static_cast<size_t>(list)] = combo;
  connect(combo, &QComboBox::currentIndexChanged, this, [this, list](int index) {
    if (!rendering_) dialog_.Select(list, index);
  });
  return combo;
}

QListWidget* SettingsDialogWidget::ListBox(SettingsList list) {
  auto* box = new QListWidget;
  lists_[static_cast<size_t>(list)] = box;
  connect(box, &QListWidget::currentRowChanged, this, [this, list](int row) {
    if (!rendering_) dialog_.Select(list, row);
  });
  connect(box, &QListWidget::itemDoubleClicked, this,
          [this, list, box](QListWidgetItem* item) { dialog_.DoubleClick(list, box->row(item)); });
  return box;
}

QScrollBar* SettingsDialogWidget::NumberScrollBar(SettingsControl box, int min, int max) {
  auto* bar = new QScrollBar(Qt::Vertical);
  // The bar runs over the negated range, so that its upper arrow counts up.
  bar->setRange(-max, -min);
  scroll_bars_[box] = bar;
  connect(bar, &QScrollBar::valueChanged, this, [this, box](int value) {
    if (!rendering_) dialog_.Scroll(box, -value);
  });
  return bar;
}

QWidget* SettingsDialogWidget::BuildCommunicationTab() {
  auto* modem = new QGridLayout;
  AddRow(modem, 1, "Timout after:", C::kTimeout);
  // Greyed out with the box it follows.
  modem->addWidget(Label("Seconds", Widget(C::kTimeout)), 1, 2);
  AddRow(modem, 2, "ModemInitString:", C::kModemInit, 2);
  device_ = NewEditableChoice();
  modem->addWidget(Label("Device:", device_), 3, 0);
  controls_[static_cast<size_t>(C::kDevice)] = device_;
  lists_[static_cast<size_t>(L::kDevices)] = device_;
  connect(device_->lineEdit(), &QLineEdit::textEdited, this,
          [this](const QString& text) { dialog_.EditText(C::kDevice, FromQString(text)); });
  connect(device_, &QComboBox::activated, this,
          [this](int index) { dialog_.Select(L::kDevices, index); });
  modem->addWidget(device_, 3, 1, 1, 2);

  auto* speed = new QVBoxLayout;
  for (C c : {C::kSpeed2400, C::kSpeed9600, C::kSpeed19200}) speed->addWidget(Option(c));
  speed->addStretch();
  auto* ports = new QGridLayout;
  for (int i = 0; i < 8; ++i) {
    ports->addWidget(Option(static_cast<C>(static_cast<int>(C::kPort1) + i)), i % 4, i / 4);
  }
  auto* parity = new QVBoxLayout;
  parity->addWidget(Option(C::kParity8N1));
  parity->addWidget(Option(C::kParity7E1));
  parity->addStretch();
  auto* options = new QHBoxLayout;
  options->addWidget(Frame("Speed", speed));
  options->addWidget(Frame("ComPort", ports));
  options->addWidget(Frame("Data bit, parity, stop bit", parity));
  modem->addLayout(options, 4, 0, 1, 3);
  modem->addWidget(CheckBox(C::kErrorCorrection), 5, 0, 1, 3);

  auto* use = new QVBoxLayout;
  use->addWidget(Option(C::kUseModem));
  use->addWidget(Option(C::kUseTcp));
  for (size_t i = 0; i < dialog_.PageCount(); ++i) {
    auto* option = new QRadioButton;
    connect(option, &QRadioButton::clicked, this, [this, i] { dialog_.ChoosePage(i); });
    page_options_.push_back(option);
    use->addWidget(option);
  }
  auto* quicksend = new QHBoxLayout;
  quicksend->addWidget(CheckBox(C::kQuicksend));
  quicksend->addWidget(Label("(no receipt)"));
  quicksend->addStretch();

  auto* tcp = new QGridLayout;
  AddRow(tcp, 0, "Accountname:", C::kAccountName);
  AddRow(tcp, 1, "Password:", C::kPassword);
  static_cast<QLineEdit*>(Widget(C::kPassword))->setEchoMode(QLineEdit::Password);
  AddRow(tcp, 2, "Gateway:", C::kGateway);
  tcp->addWidget(CheckBox(C::kUseProxy), 3, 0, 1, 2);
  AddRow(tcp, 4, "Proxyserver:", C::kProxyServer);
  AddRow(tcp, 5, "Port:", C::kProxyPort);
  tcp->addWidget(Button(C::kCheckBalance), 6, 1);

  // Every transport sends from this number, so it stays outside the pages.
  auto* sender = new QGridLayout;
  AddRow(sender, 0, "Sendernumber::", C::kSenderNumber);
  auto* right = new QVBoxLayout;
  right->addLayout(sender);
  right->addWidget(Frame("Use:", use));
  right->addWidget(Frame("TCP/IP settings", tcp));
  right->addLayout(quicksend);
  auto* left = new QVBoxLayout;
  left->addWidget(Frame("Modem settings", modem));
  for (size_t i = 0; i < dialog_.PageCount(); ++i) {
    pages_.push_back(
        new TransportPageWidget(dialog_.Page(i), [this] { return dialog_.PagesInTabOrder(); }));
    left->addWidget(pages_.back());
  }
  left->addStretch();
  right->addStretch();
  auto* page = new QWidget;
  auto* layout = new QHBoxLayout(page);
  layout->addLayout(left);
  layout->addLayout(right);
  return page;
}

QWidget* SettingsDialogWidget::BuildDialingTab() {
  auto* prefix = new QGridLayout;
  AddRow(prefix, 0, "1:", C::kPrefix1);
  AddRow(prefix, 1, "2:", C::kPrefix2);
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(Label("Phonenumber to SMSC (SMS server)", Box(C::kSmscNumber)));
  layout->addWidget(Widget(C::kSmscNumber));
  layout->addWidget(Frame("Prefix", prefix));
  layout->addStretch();
  return page;
}

QWidget* SettingsDialogWidget::BuildAutosendingTab() {
  auto* type = new QGridLayout;
  type->addWidget(Option(C::kTypeMomentary), 0, 0);
  type->addWidget(Option(C::kTypeAt), 1, 0);
  type->addWidget(Named(ComboList(L::kAutoHour), "At: hour"), 1, 1);
  type->addWidget(Named(ComboList(L::kAutoMinute), "At: minute"), 1, 2);
  type->addWidget(Option(C::kTypeWhenFiles), 2, 0, 1, 3);
  type->setColumnStretch(3, 1);

  auto* poll = new QHBoxLayout;
  constexpr char kPollCaption[] = "Number of seconds between checking:";
  poll->addWidget(Label(kPollCaption, Box(C::kPollTid)));
  poll->addWidget(Widget(C::kPollTid));
  Widget(C::kPollTid)->setMaximumWidth(60);
  poll->addWidget(
      Named(NumberScrollBar(C::kPollTid, SettingsDialog::kPollMin, SettingsDialog::kPollMax),
            kPollCaption));
  poll->addStretch();
  auto* wait = new QHBoxLayout;
  constexpr char kWaitCaption[] = "If a communication error occures, wait";
  wait->addWidget(Label(kWaitCaption, Box(C::kWaitMinutes)));
  wait->addWidget(Widget(C::kWaitMinutes));
  Widget(C::kWaitMinutes)->setMaximumWidth(60);
  wait->addWidget(
      Named(NumberScrollBar(C::kWaitMinutes, SettingsDialog::kWaitMin, SettingsDialog::kWaitMax),
            kWaitCaption));
  wait->addWidget(Label("minutes before trying again"));
  wait->addStretch();
  auto* separator = new QHBoxLayout;
  separator->addWidget(Label("Argumentseparator:", ComboList(L::kSeparator)));
  separator->addWidget(Widget(L::kSeparator));
  separator->addStretch();

  auto* folder = new QHBoxLayout;
  folder->addWidget(Box(C::kAutoFolder));
  folder->addWidget(Button(C::kBrowse));
  auto* autosending = new QVBoxLayout;
  autosending->addWidget(Label("Path to the folder:", Widget(C::kAutoFolder)));
  autosending->addLayout(folder);
  autosending->addWidget(Frame("Type", type));
  autosending->addLayout(poll);
  for (C c :
       {C::kActiveAtStartup, C::kDeleteAfterSending, C::kCloseAfterSending, C::kNameFromFile}) {
    autosending->addWidget(CheckBox(c));
  }
  autosending->addLayout(separator);
  autosending->addLayout(wait);
  autosending->addWidget(Label("0 = No further attempt"));
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(Frame("Autosending", autosending));
  return page;
}

QWidget* SettingsDialogWidget::LogWidget(LogControl control, QWidget* widget) {
  log_controls_[static_cast<size_t>(control)] = widget;
  if (auto* button = qobject_cast<QPushButton*>(widget)) {
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, control] {
      switch (control) {
        case LogControl::kRead:
          QGuiApplication::setOverrideCursor(Qt::WaitCursor);
          log_.Read();
          QGuiApplication::restoreOverrideCursor();
          break;
        case LogControl::kDelete:
          log_.Delete();
          break;
        case LogControl::kFirst:
          log_.First();
          break;
        case LogControl::kPrevious:
          log_.Previous();
          break;
        case LogControl::kNext:
          log_.Next();
          break;
        case LogControl::kLast:
          log_.Last();
          break;
        default:
          log_.GoTo();
          break;
      }
    });
  }
  return widget;
}

QWidget* SettingsDialogWidget::BuildLogTab() {
  auto* fields = new QGridLayout;
  int row = 0;
  for (auto [control, caption] :
       {std::pair{LogControl::kRecordNumber, "Rec Nr"}, std::pair{LogControl::kDate, "Date"},
        std::pair{LogControl::kTime, "Time"}, std::pair{LogControl::kSubscriber, "Subscriber"},
        std::pair{LogControl::kReceipt, "Receipt"}, std::pair{LogControl::kMessage, "Message"}}) {
    auto* box = new QLineEdit;
    // The records are only shown here; the log itself is never written.
    box->setReadOnly(true);
    // Enter there neither jumps nor confirms the dialog.
    box->installEventFilter(this);
    fields->addWidget(Label(caption, box), row, 0);
    fields->addWidget(LogWidget(control, box), row++, 1);
  }
  auto* navigation = new QHBoxLayout;
  for (LogControl control :
       {LogControl::kFirst, LogControl::kPrevious, LogControl::kNext, LogControl::kLast}) {
    navigation->addWidget(LogWidget(control, new QPushButton));
  }
  navigation->addStretch();
  navigation->addWidget(LogWidget(LogControl::kGoTo, new QPushButton));
  auto* jump = Named(new QLineEdit, log_.Control(LogControl::kGoTo).text.c_str());
  connect(jump, &QLineEdit::textEdited, this,
          [this](const QString& text) { log_.EditGoToBox(FromQString(text)); });
  // Enter in the jump box jumps, rather than confirming the whole dialog.
  jump->installEventFilter(this);
  navigation->addWidget(LogWidget(LogControl::kGoToBox, jump));

  auto* files = new QHBoxLayout;
  files->addWidget(CheckBox(C::kRecordLog));
  files->addStretch();
  files->addWidget(LogWidget(LogControl::kRead, new QPushButton));
  files->addWidget(LogWidget(LogControl::kDelete, new QPushButton));
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(files);
  layout->addLayout(fields);
  layout->addLayout(navigation);
  layout->addStretch();
  return page;
}

QWidget* SettingsDialogWidget::BuildMailTab() {
  auto* dun = new QGridLayout;
  dun->addWidget(CheckBox(C::kDontUseDun), 0, 0, 1, 2);
  AddRow(dun, 1, "Connection:", C::kConnection);
  AddRow(dun, 2, "Username:", C::kRasUserName);
  AddRow(dun, 3, "Password:", C::kRasPassword);
  dun->addWidget(Label("Available connections:", ListBox(L::kConnections)), 4, 0, 1, 2);
  dun->addWidget(Widget(L::kConnections), 5, 0, 1, 2);

  auto* pop = new QGridLayout;
  AddRow(pop, 0, "Server:", C::kMailServer);
  AddRow(pop, 1, "Account:", C::kMailAccount);
  AddRow(pop, 2, "Password:", C::kMailPassword);
  for (C c : {C::kRasPassword, C::kMailPassword}) {
    static_cast<QLineEdit*>(Widget(c))->setEchoMode(QLineEdit::Password);
  }

  auto* schedule = new QGridLayout;
  schedule->addWidget(Named(ComboList(L::kMailHour), "Mailchecking hour"), 0, 0);
  schedule->addWidget(Named(ComboList(L::kMailMinute), "Mailchecking minute"), 0, 1);
  schedule->addWidget(Button(C::kAddTime), 1, 0, 1, 2);
  schedule->addWidget(Named(ListBox(L::kMailTimes), "Mailchecking times"), 0, 2, 3, 1);
  schedule->addWidget(Button(C::kClearTimes), 3, 2);

  auto* right = new QVBoxLayout;
  right->addWidget(Frame("POP Server", pop));
  right->addWidget(Frame("Mailchecking schedule", schedule));
  right->addWidget(CheckBox(C::kLocalOnly));
  auto* page = new QWidget;
  auto* layout = new QHBoxLayout(page);
  layout->addWidget(Frame("Dial-Up Networking", dun));
  layout->addLayout(right);
  return page;
}

// --- Events.

bool SettingsDialogWidget::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      // The jump box jumps; the record boxes swallow the key.
      if (watched == Widget(LogControl::kGoToBox)) log_.GoTo();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

bool SettingsDialogWidget::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) dialog_.Activate();
  return QDialog::event(event);
}

void SettingsDialogWidget::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Some platforms never activate a window; the first display counts anyway.
  dialog_.Activate();
  FitToScreen();
}

void SettingsDialogWidget::FitToScreen() {
  // Sized to the transport pages shown, not to all of them, and centred
  // again so that a taller page keeps the buttons on the screen.
  adjustSize();
  const QSize size = this->size();
  if (QScreen* screen = this->screen()) {
    const QRect area = screen->availableGeometry();
    const QSize frame = frameGeometry().size() - geometry().size();
    QPoint place = CentredIn(area, size + frame);
    place.setY(std::max(place.y(), area.top()));
    move(place);
  }
}

void SettingsDialogWidget::reject() {
  if (dialog_.Closed()) {
    QDialog::reject();
  } else {
    dialog_.Press(C::kCancel);
  }
}

// --- Rendering.

void SettingsDialogWidget::Render() {
  if (rendering_) return;
  if (dialog_.Closed()) {
    if (isVisible()) QDialog::done(QDialog::Accepted);
    return;
  }
  rendering_ = true;
  for (size_t i = 0; i < controls_.size(); ++i) {
    QWidget* widget = controls_[i];
    const auto control = static_cast<SettingsControl>(i);
    const ControlState& state = dialog_.Control(control);
    if (auto* box = qobject_cast<QLineEdit*>(widget)) {
      // Setting the same text again would move the caret while the user types.
      if (box->text() != ToQString(state.text)) box->setText(ToQString(state.text));
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      button->setText(ToQString(state.text));
      button->setChecked(state.checked);
    }
    widget->setEnabled(state.enabled);
    SetInTabOrder(widget, dialog_.InTabOrder(control));
  }
  for (size_t i = 0; i < lists_.size(); ++i) {
    const auto list = static_cast<SettingsList>(i);
    const ListState& state = dialog_.List(list);
    if (auto* combo = qobject_cast<QComboBox*>(lists_[i])) {
      SetItems(combo, state);
      if (combo != device_) combo->setCurrentIndex(state.selected);
    } else if (auto* box = qobject_cast<QListWidget*>(lists_[i])) {
      SetItems(box, state);
      box->setCurrentRow(state.selected);
      SetInTabOrder(box, dialog_.InTabOrder(list));
    }
  }
  SetEditText(device_, dialog_.Control(C::kDevice).text);
  for (const auto& [box, bar] : scroll_bars_) bar->setValue(-dialog_.ScrollValue(box));
  tabs_->setCurrentIndex(dialog_.CurrentTab());

  if (dialog_.FocusRequestCount() != focus_count_seen_) {
    focus_count_seen_ = dialog_.FocusRequestCount();
    Widget(dialog_.FocusRequest())->setFocus();
  }
  rendering_ = false;
  for (size_t i = 0; i < page_options_.size(); ++i) {
    const ControlState& option = dialog_.PageOption(i);
    page_options_[i]->setText(ToQString(option.text));
    page_options_[i]->setChecked(option.checked);
    SetInTabOrder(page_options_[i], dialog_.PagesInTabOrder());
  }
  std::vector<bool> pages_shown;
  for (TransportPageWidget* page : pages_) {
    page->Render();
    pages_shown.push_back(page->isVisibleTo(this));
  }
  // A caption is greyed out with its box, as on a page of a transport not chosen.
  for (QLabel* label : findChildren<QLabel*>()) {
    if (label->buddy() != nullptr) label->setEnabled(label->buddy()->isEnabled());
  }
  // The pages render themselves too, so what was shown is remembered here.
  // Once the layout has taken the page in.
  if (pages_shown != pages_shown_ && isVisible())
    QTimer::singleShot(0, this, [this] { FitToScreen(); });
  pages_shown_ = pages_shown;
}

void SettingsDialogWidget::SetInTabOrder(QWidget* widget, bool in_order) {
  if (!focus_policies_.contains(widget)) focus_policies_[widget] = widget->focusPolicy();
  widget->setFocusPolicy(in_order ? focus_policies_[widget] : Qt::NoFocus);
}

void SettingsDialogWidget::RenderLog() {
  for (size_t i = 0; i < log_controls_.size(); ++i) {
    QWidget* widget = log_controls_[i];
    const ControlState& state = log_.Control(static_cast<LogControl>(i));
    if (auto* box = qobject_cast<QLineEdit*>(widget)) {
      if (box->text() != ToQString(state.text)) box->setText(ToQString(state.text));
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      button->setText(ToQString(state.text));
    }
    widget->setEnabled(state.enabled);
  }
  if (log_.FocusRequestCount() != log_focus_count_seen_) {
    log_focus_count_seen_ = log_.FocusRequestCount();
    Widget(LogControl::kGoToBox)->setFocus();
  }
}

}  // namespace tolvane
