#include "ui/import_preview_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>
#include <functional>
#include <utility>

#include "platform/qt/qt_text.h"
#include "ui/list_widgets.h"

namespace tolvane {

namespace {

void RenderChoice(QComboBox* combo, QLabel* label, const ListState& state) {
  QSignalBlocker blocker(combo);
  SetItems(combo, state);
  combo->setCurrentIndex(state.selected);
  combo->setVisible(state.visible);
  if (label != nullptr) label->setVisible(state.visible);
}

void RenderCheckBox(QCheckBox* box, const ControlState& state) {
  QSignalBlocker blocker(box);
  box->setText(ToQString(state.text));
  box->setChecked(state.checked);
  box->setVisible(state.visible);
}

}  // namespace

ImportPreviewDialog::ImportPreviewDialog(ImportPreview& preview, QWidget* parent)
    : QDialog(parent), preview_(preview) {
  setWindowTitle(ToQString(preview_.Title()));
  setModal(true);
  auto* layout = new QVBoxLayout(this);

  format_label_ = new QLabel(this);
  format_label_->setObjectName("formatLabel");
  layout->addWidget(format_label_);
  table_ = new QTableWidget(this);
  table_->setObjectName("previewTable");
  table_->setAccessibleName("First rows of the file");
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->hide();
  // Tab leaves the table for the choices below it.
  table_->setTabKeyNavigation(false);
  layout->addWidget(table_);
  header_row_box_ = new QCheckBox(this);
  header_row_box_->setObjectName("headerRowBox");
  connect(header_row_box_, &QCheckBox::toggled, this, [this](bool on) {
    preview_.SetHeaderRow(on);
    RenderTable();
    Render();
  });
  layout->addWidget(header_row_box_);

  auto* form = new QFormLayout;
  layout->addLayout(form);
  auto add_choice = [&](const char* name, const char* caption, QLabel** label) {
    auto* combo = new QComboBox(this);
    combo->setObjectName(name);
    HearByCaption(combo);
    auto* shown = new QLabel(caption, this);
    shown->setBuddy(combo);
    form->addRow(shown, combo);
    if (label != nullptr) *label = shown;
    return combo;
  };
  name_column_ = add_choice("nameColumn", "&Name:", &name_label_);
  number_column_ = add_choice("numberColumn", "N&umber:", &number_label_);
  group_column_ = add_choice("groupColumn", "&Group column:", &group_column_label_);
  // A choice goes to the preview, which may change the others.
  auto on_choice = [this](QComboBox* combo, std::function<void(int)> choose) {
    connect(combo, &QComboBox::activated, this, [this, choose = std::move(choose)](int index) {
      choose(index);
      Render();
    });
  };
  on_choice(name_column_, [this](int index) { preview_.SelectNameColumn(index); });
  on_choice(number_column_, [this](int index) { preview_.SelectNumberColumn(index); });
  on_choice(group_column_, [this](int index) { preview_.SelectGroupColumn(index); });

  extra_numbers_box_ = new QCheckBox(this);
  extra_numbers_box_->setObjectName("extraNumbersBox");
  connect(extra_numbers_box_, &QCheckBox::toggled, this, [this](bool on) {
    preview_.SetExtraNumbers(on);
    Render();
  });
  form->addRow(extra_numbers_box_);
  duplicates_ = add_choice("duplicatesList", "People &already in the phone book:", nullptr);
  on_choice(duplicates_, [this](int index) { preview_.SelectDuplicates(index); });
  group_box_ = NewEditableChoice();
  group_box_->setParent(this);
  group_box_->setObjectName("groupBox");
  auto* group_label = new QLabel("&Put everyone in the group:", this);
  group_label->setBuddy(group_box_);
  form->addRow(group_label, group_box_);
  {
    QStringList groups{QString()};
    for (const std::string& group : preview_.Groups().items) groups << ToQString(group);
    group_box_->addItems(groups);
  }
  connect(group_box_, &QComboBox::editTextChanged, this,
          [this](const QString& text) { preview_.EditGroup(FromQString(text)); });

  summary_ = new QLabel(this);
  summary_->setObjectName("summaryLabel");
  summary_->setWordWrap(true);
  layout->addWidget(summary_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_button_ = buttons->button(QDialogButtonBox::Ok);
  ok_button_->setObjectName("okButton");
  // Return anywhere in the window is OK.
  ok_button_->setDefault(true);
  buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancelButton");
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (preview_.OkButton().enabled) accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);

  QWidget* const tab_order[] = {table_,        header_row_box_,
                                name_column_,  number_column_,
                                group_column_, extra_numbers_box_,
                                duplicates_,   group_box_,
                                ok_button_,    buttons->button(QDialogButtonBox::Cancel)};
  for (std::size_t i = 1; i < std::size(tab_order); ++i) {
    QWidget::setTabOrder(tab_order[i - 1], tab_order[i]);
  }
  resize(760, 520);
  RenderTable();
  Render();
  // The first choice the file leaves open, else OK.
  QWidget* first = ok_button_;
  for (QComboBox* combo : {name_column_, number_column_}) {
    if (combo->isVisibleTo(this) && combo->currentIndex() <= 0) {
      first = combo;
      break;
    }
  }
  first->setFocus();
}

void ImportPreviewDialog::RenderTable() {
  QStringList header;
  for (const std::string& column : preview_.TableHeader()) header << ToQString(column);
  const auto& rows = preview_.TableRows();
  table_->clear();
  table_->setColumnCount(static_cast<int>(header.size()));
  table_->setRowCount(static_cast<int>(rows.size()));
  table_->setHorizontalHeaderLabels(header);
  for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
    for (int column = 0; column < static_cast<int>(rows[row].size()) && column < header.size();
         ++column) {
      table_->setItem(row, column, new QTableWidgetItem(ToQString(rows[row][column])));
    }
  }
  table_->resizeColumnsToContents();
}

void ImportPreviewDialog::Render() {
  format_label_->setText(ToQString(preview_.FormatLabel().text));
  RenderCheckBox(header_row_box_, preview_.HeaderRowBox());
  RenderChoice(name_column_, name_label_, preview_.NameColumn());
  RenderChoice(number_column_, number_label_, preview_.NumberColumn());
  RenderChoice(group_column_, group_column_label_, preview_.GroupColumn());
  RenderCheckBox(extra_numbers_box_, preview_.ExtraNumbersBox());
  RenderChoice(duplicates_, nullptr, preview_.Duplicates());
  summary_->setText(ToQString(preview_.Summary().text));
  ok_button_->setEnabled(preview_.OkButton().enabled);
}

}  // namespace tolvane
