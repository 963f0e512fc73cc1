#include "phonebook/group_panel.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "phonebook/group_tables.h"
#include "phonebook/new_group_dialog.h"
#include "support/fake_dialogs.h"
#include "support/test_phone_book.h"

namespace tolvane {
namespace {

using Box = testing::FakeDialogs::Box;
using Source = GroupPanel::DragSource;
using Target = GroupPanel::DropTarget;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class GroupPanelTest : public ::testing::Test {
 protected:
  GroupPanelTest() {
    for (const char* name : {"Anna", "Bertil", "Cecilia"})
      book_.Add(name, std::string("070-") + name);
    window_.Open();
  }

  // "New grou&p", the name typed, "OK"; whether the dialog closed.
  bool NewGroup(const std::string& name) {
    NewGroupDialog dialog(panel_, dialogs_);
    dialog.EditName(name);
    return dialog.Ok();
  }
  // Drags the person `index` of the name list onto the member list.
  void DragPerson(int index) {
    window_.SelectName(index);
    ASSERT_TRUE(panel_.CanStartDrag(Source::kNameList));
    panel_.DragOver(Source::kNameList, Target::kMemberList);
    panel_.Drop(Source::kNameList, Target::kMemberList);
  }
  void TrashMember(int index) {
    panel_.SelectMember(index);
    ASSERT_TRUE(panel_.CanStartDrag(Source::kMemberList));
    panel_.DragOver(Source::kMemberList, Target::kTrashCan);
    panel_.Drop(Source::kMemberList, Target::kTrashCan);
  }
  std::vector<std::string> Stored(const std::string& group) {
    return MemberNames(book_.store(), group);
  }

  testing::TestPhoneBook book_;
  testing::FakeDialogs dialogs_;
  PhoneBookWindow window_{book_.cursor(), dialogs_, nullptr};
  GroupPanel panel_{window_, book_.cursor(), book_.store(), dialogs_};
};

// (The dialog's tests show the cursor over each target.)
TEST_F(GroupPanelTest, OpeningShowsTheGroupsAndADroppedNameBecomesACopyOfThePerson) {
  EXPECT_EQ(panel_.WindowWidthTwips(), 4815);

  panel_.Toggle();
  EXPECT_EQ(panel_.ToggleButton().text, "&Groups <<");
  EXPECT_EQ(panel_.WindowWidthTwips(), 8230);
  EXPECT_FALSE(panel_.DeleteGroupButton().enabled);
  DragPerson(0);  // nothing is added without a group
  EXPECT_THAT(dialogs_.boxes(), ElementsAre(Box{"Create a group first!", "No Group!",
                                                MessageIcon::kInformation, MessageButtons::kOk}));

  // The first group re-enables "De&lete group".
  EXPECT_TRUE(NewGroup("  Jobb  "));
  EXPECT_TRUE(panel_.DeleteGroupButton().enabled);
  DragPerson(1);
  EXPECT_THAT(panel_.MemberList().items, ElementsAre("Bertil"));
  auto group = book_.store().OpenCursor("Jobb");
  EXPECT_EQ(group->Field(kFieldTelenummer), "070-Bertil");
  EXPECT_EQ(group->Field(kFieldOperator), "1");

  // A name already in the group is dropped silently.
  DragPerson(1);
  EXPECT_THAT(Stored("Jobb"), ElementsAre("Bertil"));
  EXPECT_EQ(dialogs_.Texts().size(), 1u);
}

TEST_F(GroupPanelTest, AGroupHoldsFortyMembersAndNoMore) {
  for (int i = 0; i < 38; ++i) book_.Add("Person " + std::to_string(i), std::to_string(i));
  window_.Open();
  panel_.Toggle();
  ASSERT_TRUE(NewGroup("Stor"));
  for (int i = 0; i < 40; ++i) DragPerson(i);
  window_.SelectName(40);
  EXPECT_FALSE(panel_.AddMemberButton().enabled);
  DragPerson(40);
  EXPECT_THAT(dialogs_.boxes(), ElementsAre(Box{"You can have max 40 members in a group!", "Full!",
                                                MessageIcon::kInformation, MessageButtons::kOk}));
  EXPECT_EQ(Stored("Stor").size(), 40u);
  // The fortieth could still join.
  TrashMember(39);
  window_.SelectName(39);
  EXPECT_TRUE(panel_.AddMemberButton().enabled);
}

// Names are refused when taken in any letter case; hostile ones are just
// names, also to delete. Deleting asks, then selects the group that took the
// place.
TEST_F(GroupPanelTest, NewGroupNamesAreRefusedWhenTakenAndHostileOnesAreJustNamesAlsoToDelete) {
  panel_.Toggle();
  EXPECT_FALSE(NewGroup(""));
  EXPECT_FALSE(NewGroup("   "));
  ASSERT_TRUE(NewGroup("Vänner"));
  for (const char* taken : {"Vänner", "vÄNNER", "Telelist", "tELELIST"}) {
    dialogs_.Clear();
    EXPECT_FALSE(NewGroup(taken)) << taken;
    EXPECT_THAT(dialogs_.boxes(), ElementsAre(Box{"Name already exist!", "Duplicate name!",
                                                  MessageIcon::kCritical, MessageButtons::kOk}));
  }

  const std::vector<std::string> names = {"x\"; DROP TABLE Telelist; --", "[Fam]", "a'b;c", "--"};
  for (const std::string& name : names) {
    ASSERT_TRUE(NewGroup(name)) << name;
    DragPerson(0);
    EXPECT_THAT(Stored(name), ElementsAre("Anna")) << name;
  }
  EXPECT_THAT(GroupNames(book_.store()),
              ElementsAre("Vänner", names[0], names[1], names[2], names[3]));

  dialogs_.Clear();
  panel_.SelectGroup(1);
  panel_.DeleteGroup();  // answered No
  EXPECT_THAT(dialogs_.boxes(),
              ElementsAre(Box{"Delete? \"x\"; DROP TABLE Telelist; --\" ?", "Are you sure?",
                              MessageIcon::kQuestion, MessageButtons::kYesNo}));
  EXPECT_EQ(GroupNames(book_.store()).size(), 5u);
  dialogs_.QueueAnswer(MessageAnswer::kYes);
  panel_.DeleteGroup();
  EXPECT_THAT(panel_.GroupList().items, ElementsAre("Vänner", names[1], names[2], names[3]));
  EXPECT_EQ(panel_.GroupList().SelectedText(), names[1]) << "the group that took its place";
  panel_.SelectGroup(0);  // the last one deleted has a member
  for (int i = 0; i < 4; ++i) {
    dialogs_.QueueAnswer(MessageAnswer::kYes);
    panel_.DeleteGroup();
  }
  EXPECT_THAT(panel_.MemberList().items, IsEmpty());
  EXPECT_FALSE(panel_.DeleteGroupButton().enabled);
  EXPECT_THAT(GroupNames(book_.store()), IsEmpty());
}

}  // namespace
}  // namespace tolvane
