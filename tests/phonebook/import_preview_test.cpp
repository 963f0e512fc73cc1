#include "phonebook/import_preview.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "contacts/contact_file.h"

namespace tolvane {
namespace {

using ::testing::StartsWith;
using People = std::vector<PlannedPerson>;

// What the window shows: the format, the columns chosen and the summary.
std::string Shown(const ImportPreview& preview) {
  return preview.FormatLabel().text + " | " + preview.NameColumn().SelectedText() + " | " +
         preview.NumberColumn().SelectedText() + " | " + preview.GroupColumn().SelectedText() +
         " | " + preview.Summary().text;
}

ImportPreview Preview(const std::string& bytes) {
  return ImportPreview("/home/anna/kontakter.txt", ReadContactFile(bytes, ContactFormat::kCsv),
                       {"Vänner"});
}

// A header nobody recognises: the columns chosen by hand; a comma does not
// split a field.
TEST(ImportPreviewTest, TheColumnsOfAnUnknownHeaderAreChosenByHand) {
  ImportPreview preview = Preview("Vem;Siffror;Lag\r\n\xC5sa;0701;K\xF6r\r\nBerg, Bo;0702;\r\n");
  EXPECT_EQ(preview.Title(), "Import kontakter.txt");
  EXPECT_FALSE(preview.OkButton().enabled) << "nothing chosen yet";
  preview.SetHeaderRow(true);
  preview.SelectNameColumn(1);
  preview.SelectNumberColumn(2);
  preview.SelectGroupColumn(3);
  EXPECT_TRUE(preview.OkButton().enabled);
  EXPECT_THAT(Shown(preview),
              StartsWith("CSV, separator semicolon, Windows-1252, 2 rows | Vem | Siffror | Lag | "
                         "2 people to import"));
  EXPECT_EQ(preview.Plan().people, (People{{2, "Åsa", "0701", {"Kör"}}, {3, "Berg, Bo", "0702"}}));
}

// Quoted separators, quotes and line breaks: a row is told by the line it
// starts on, the next starts on the line after them.
TEST(ImportPreviewTest, AQuotedFieldMaySpanLines) {
  ImportPreview preview = Preview(
      "\xEF\xBB\xBFName,Phone,Note\n\"Ek, \"\"Bo\"\"\",,\"two\nlines\"\n\n\"Al\",\"0702\",x");
  EXPECT_THAT(
      Shown(preview),
      StartsWith("CSV, separator comma, UTF-8 with byte-order mark, 2 rows | Name | Phone | "
                 "(none) | 1 person to import, 1 row left out (line 2: "));
  EXPECT_EQ(preview.Plan().people, (People{{5, "Al", "0702"}}));
}

}  // namespace
}  // namespace tolvane
