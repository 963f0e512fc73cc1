// The main window's group mode and delay options on screen.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include "bulk/group_sending.h"
#include "bulk/time_to_send_dialog.h"
#include "sim/sim_event_loop.h"
#include "support/window_peripherals.h"
#include "ui/main_window_widget.h"
#include "ui/time_to_send_widget.h"

namespace tolvane {
namespace {

class GroupModeWidgetTest : public ::testing::Test, protected testing::WindowPeripherals {
 protected:
  GroupModeWidgetTest() {
    book.AddToGroup("V\xE4nner", "Anna", "0701");
    book.AddToGroup("Jobb", "Bertil", "0702");
    book.AddToGroup("Jobb", "Cecilia", "0703");
    presenter_.SetPhoneBookStore(&book.store());
    widget_.Bind(&presenter_);
    widget_.show();
  }

  template <typename T>
  T* Named(const QString& caption) {
    for (T* control : widget_.findChildren<T*>()) {
      if (control->text() == caption) return control;
    }
    return nullptr;
  }
  QStringList Shown(const char* name) {
    QAbstractItemModel* model = widget_.findChild<QListView*>(name)->model();
    QStringList items;
    for (int row = 0; row < model->rowCount(); ++row) {
      items << model->index(row, 0).data().toString();
    }
    return items;
  }

  sim::SimEventLoop loop_;
  MainWindow presenter_{settings, Services(loop_), host};
  MainWindowWidget widget_;
};

TEST_F(GroupModeWidgetTest, GroupModeMakesTheWindowTallerWithTheGroupAndItsMembers) {
  EXPECT_FALSE(Named<QLabel>("Grupp")->isVisible());
  widget_.resize(widget_.width(), widget_.minimumSizeHint().height() + 10);
  const int height = widget_.height();
  Named<QPushButton>("&Groupsending >>")->click();
  ASSERT_NE(Named<QPushButton>("&Groupsending <<"), nullptr);
  EXPECT_TRUE(Named<QLabel>("Grupp")->isVisible());
  EXPECT_TRUE(Named<QLabel>("Gruppmedlemmar")->isVisible());
  EXPECT_GE(widget_.height(), 7700 / 15);
  EXPECT_GT(widget_.height(), height);
  EXPECT_EQ(Shown("groupList"), (QStringList{QString::fromUtf8("V\xC3\xA4nner"), "Jobb"}));
  EXPECT_EQ(Shown("memberList"), QStringList{"Anna"});
  EXPECT_FALSE(Named<QPushButton>("&Send")->isEnabled());

  auto* groups = widget_.findChild<QListView*>("groupList");
  groups->setCurrentIndex(groups->model()->index(1, 0));
  EXPECT_EQ(Shown("memberList"), (QStringList{"Bertil", "Cecilia"}));

  // With no message, "Send to Group" sends nothing and wants the message.
  Named<QPushButton>("Send to &Group")->click();
  EXPECT_FALSE(presenter_.State().sending);
  EXPECT_FALSE(presenter_.State().attempted);

  Named<QPushButton>("&Groupsending <<")->click();
  EXPECT_FALSE(Named<QLabel>("Grupp")->isVisible());
  EXPECT_EQ(widget_.height(), height);
  EXPECT_TRUE(Named<QPushButton>("&Send")->isEnabled());
}

TEST_F(GroupModeWidgetTest, DelayOptionsCarryTheirTipsAndOpenTheTimeDialog) {
  QRadioButton* none = Named<QRadioButton>("N&one");
  QRadioButton* to = Named<QRadioButton>("&To...");
  ASSERT_TRUE(none && to);
  EXPECT_EQ(none->toolTip(), "No delay");
  EXPECT_EQ(to->toolTip(), "Delayed sending");
  EXPECT_CALL(host, OpenTimeToSend()).WillOnce([this] {
    presenter_.SetDeliveryTime("06/12/26  16:00", "0612261600");
  });
  to->click();
  EXPECT_EQ(to->text(), "&To: 06/12/26  16:00");
  EXPECT_TRUE(to->isChecked());
  none->click();
  EXPECT_EQ(to->text(), "&To...");
  EXPECT_TRUE(none->isChecked());
  EXPECT_FALSE(presenter_.State().deferred);
}

TEST(TimeToSendWidgetTest, TheScrollBarMovesTheShownTimeAndOkHandsItOver) {
  std::string shown;
  std::string delivery;
  TimeToSendDialog dialog(sim::SimEventLoop::DefaultStart(),
                          [&](const std::string& label, const std::string& time) {
                            shown = label;
                            delivery = time;
                          });
  const std::string opened_label = dialog.Label();
  TimeToSendWidget widget(dialog);
  widget.show();
  EXPECT_EQ(widget.windowTitle(), "Time to send...");
  auto* bar = widget.findChild<QScrollBar*>("timeScrollBar");
  auto* label = widget.findChild<QLabel*>("timeLabel");
  ASSERT_TRUE(bar && label);
  EXPECT_EQ(bar->maximum(), 10068);
  EXPECT_EQ(bar->singleStep(), 1);
  EXPECT_EQ(bar->pageStep(), 60);
  EXPECT_EQ(widget.focusWidget(), bar);

  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(dialog.Position(), 61);
  EXPECT_EQ(label->text().toStdString(), dialog.Label());
  EXPECT_NE(dialog.Label(), opened_label);
  widget.findChild<QPushButton*>("okButton")->click();
  EXPECT_FALSE(widget.isVisible());
  EXPECT_EQ(shown, dialog.Label());
  EXPECT_EQ(delivery, dialog.DeliveryTime());
}

}  // namespace
}  // namespace tolvane
