#ifndef TOLVANE_UI_IMPORT_PREVIEW_DIALOG_H_
#define TOLVANE_UI_IMPORT_PREVIEW_DIALOG_H_

#include <QDialog>

#include "phonebook/import_preview.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace tolvane {

// The preview of a contact file on screen: shows what the ImportPreview holds
// and hands it every choice. OK accepts the dialog; Cancel and Escape reject
// it.
class ImportPreviewDialog : public QDialog {
  Q_OBJECT

 public:
  explicit ImportPreviewDialog(ImportPreview& preview, QWidget* parent = nullptr);

 private:
  void Render();
  // The table changes only with the header row.
  void RenderTable();

  ImportPreview& preview_;
  QLabel* format_label_;
  QTableWidget* table_;
  QCheckBox* header_row_box_;
  QLabel* name_label_;
  QComboBox* name_column_;
  QLabel* number_label_;
  QComboBox* number_column_;
  QLabel* group_column_label_;
  QComboBox* group_column_;
  QCheckBox* extra_numbers_box_;
  QComboBox* duplicates_;
  QComboBox* group_box_;
  QLabel* summary_;
  QPushButton* ok_button_;
};

}  // namespace tolvane

#endif  // TOLVANE_UI_IMPORT_PREVIEW_DIALOG_H_
