#include "ui/dialog_button.h"

#include <QPushButton>

namespace tolvane {

QPushButton* MakeDialogButton(QObject* context, const char* name, std::function<void()> action) {
  auto* button = new QPushButton;
  button->setObjectName(name);
  button->setAutoDefault(false);
  QObject::connect(button, &QPushButton::clicked, context,
                   [action = std::move(action)] { action(); });
  return button;
}

}  // namespace tolvane
