#include "phonebook/import_preview.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "contacts/contact_file.h"

namespace tolvane {
namespace {

using ::testing::ElementsAreArray;
using ::testing::StartsWith;

// Each person of the plan as "name|number|group,group", the groups sorted.
std::vector<std::string> People(const ImportPlan& plan) {
  std::vector<std::string> people;
  for (PlannedPerson person : plan.people) {
    std::sort(person.groups.begin(), person.groups.end());
    std::string groups;
    for (const std::string& group : person.groups) groups += (groups.empty() ? "" : ",") + group;
    people.push_back(person.name + "|" + person.number + "|" + groups);
  }
  return people;
}

// What the window shows: the format, the columns chosen (CSV), whether the
// extra numbers are offered, and the summary.
std::string Shown(const ImportPreview& preview) {
  std::string shown = preview.FormatLabel().text + " | ";
  for (const ListState* list :
       {&preview.NameColumn(), &preview.NumberColumn(), &preview.GroupColumn()}) {
    if (list->visible) shown += list->SelectedText() + " | ";
  }
  if (preview.ExtraNumbersBox().visible) shown += "extra numbers | ";
  return shown + preview.Summary().text;
}

struct PreviewCase {
  const char* bytes;
  ContactFormat format;
  // The user's choices, after what the file pre-set.
  std::function<void(ImportPreview&)> choose;
  std::string shown_start;
  std::vector<std::string> people;
};

TEST(ImportPreviewTest, ThePreSetAndChosenColumnsAndChoicesMakeThePlan) {
  const std::vector<PreviewCase> cases = {
      // Google's name, the first number not empty, its groups; extra numbers.
      {"Name,Given Name,Group Membership,Phone 1 - Value,Phone 2 - Value\r\n"
       "Anna Berg,Anna,* myContacts ::: Vänner,0701,08-123\r\n"
       "Bo,Bo,* starred,,0702\r\nCia,Cia,,,\r\n",
       ContactFormat::kCsv,
       [](ImportPreview& preview) { preview.SetExtraNumbers(true); },
       "CSV, separator comma, UTF-8, 3 rows | Name | First of Phone 1 - Value, Phone 2 - Value | "
       "Group Membership | extra numbers | 3 people to import, 1 row left out (line 4: ",
       {"Anna Berg|0701|Vänner", "Anna Berg (2)|08-123|Vänner", "Bo|0702|"}},
      // A header nobody recognises: the columns chosen by hand; a comma does
      // not split a field.
      {"Vem;Siffror;Lag\r\n\xC5sa;0701;K\xF6r\r\nBerg, Bo;0702;\r\n",
       ContactFormat::kCsv,
       [](ImportPreview& preview) {
         EXPECT_FALSE(preview.OkButton().enabled) << "nothing chosen yet";
         preview.SetHeaderRow(true);
         preview.SelectNameColumn(1);
         preview.SelectNumberColumn(2);
         preview.SelectGroupColumn(3);
       },
       "CSV, separator semicolon, Windows-1252, 2 rows | Vem | Siffror | Lag | 2 people to import",
       {"Åsa|0701|Kör", "Berg, Bo|0702|"}},
      // Quoted separators, quotes and line breaks: a row is told by the line
      // it starts on, the next starts on the line after them.
      {"\xEF\xBB\xBFName,Phone,Note\n\"Ek, \"\"Bo\"\"\",,\"two\nlines\"\n\n\"Al\",\"0702\",x",
       ContactFormat::kCsv,
       [](ImportPreview&) {},
       "CSV, separator comma, UTF-8 with byte-order mark, 2 rows | Name | Phone | (none) | "
       "1 person to import, 1 row left out (line 2: ",
       {"Al|0702|"}},
      // vCards: the mobile number kept, a group for everyone added to theirs.
      {"BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna Berg\r\nTEL;TYPE=HOME:08-123\r\n"
       "TEL;TYPE=CELL:0701\r\nCATEGORIES:Vänner\r\nEND:VCARD\r\n"
       "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bo\r\nTEL:0702\r\nEND:VCARD\r\n",
       ContactFormat::kVcard,
       [](ImportPreview& preview) { preview.EditGroup(" Alla "); },
       "vCard, 2 cards | extra numbers | 2 people to import",
       {"Anna Berg|0701|Alla,Vänner", "Bo|0702|Alla"}},
  };
  for (const PreviewCase& test : cases) {
    SCOPED_TRACE(test.shown_start);
    ImportPreview preview("/home/anna/kontakter.txt", ReadContactFile(test.bytes, test.format),
                          {"Vänner"});
    EXPECT_EQ(preview.Title(), "Import kontakter.txt");
    EXPECT_FALSE(preview.ExtraNumbersBox().checked) << "off at first";
    test.choose(preview);
    EXPECT_THAT(Shown(preview), StartsWith(test.shown_start));
    EXPECT_TRUE(preview.OkButton().enabled);
    EXPECT_THAT(People(preview.Plan()), ElementsAreArray(test.people));
  }
}

}  // namespace
}  // namespace tolvane
