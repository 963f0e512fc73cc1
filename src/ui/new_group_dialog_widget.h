#ifndef TOLVANE_UI_NEW_GROUP_DIALOG_WIDGET_H_
#define TOLVANE_UI_NEW_GROUP_DIALOG_WIDGET_H_

#include <QDialog>

#include "phonebook/new_group_dialog.h"

class QLineEdit;

namespace tolvane {

// "Save as..." on screen, centred: the name box, "OK" and "Cancel".
class NewGroupDialogWidget : public QDialog {
  Q_OBJECT

 public:
  explicit NewGroupDialogWidget(NewGroupDialog& dialog, QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Ok();

  NewGroupDialog& dialog_;
  QLineEdit* name_box_;
};

}  // namespace tolvane

#endif  // TOLVANE_UI_NEW_GROUP_DIALOG_WIDGET_H_
