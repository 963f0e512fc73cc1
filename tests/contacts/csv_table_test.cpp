#include "contacts/csv_table.h"

#include <gtest/gtest.h>

#include "contacts/import_plan.h"

namespace tolvane {
namespace {

TEST(CsvTableTest, SeparatorEncodingAndHeaderAreFoundByLookingAtTheFile) {
  struct Case {
    const char* bytes;
    char separator;
    TextEncoding encoding;
    bool header_recognised;
    std::vector<PlannedPerson> people;  // planned as the table suggests
  };
  const Case cases[] = {
      // A tab-separated export; a comma inside a field does not split it.
      {"Name\tPhone\tGroup\r\nBerg, Bo\t0701\tA;B\r\n",
       '\t',
       TextEncoding::kUtf8,
       true,
       {{2, "Berg, Bo", "0701", {"A", "B"}}}},
      // No header the program knows: the first row is a person too.
      {"Bo Ek;0701\nAnna \xD6st;0702\n",
       ';',
       TextEncoding::kWindows1252,
       false,
       {{1, "Bo Ek", "0701", {}}, {2, "Anna \xC3\x96st", "0702", {}}}},
      // Quoted separators and line breaks; a record starts on the line after.
      {"\xEF\xBB\xBFName,Phone,Note\n\"Ek, \"\"Bo\"\"\",0701,\"two\nlines\"\n\n\"Al\",\"0702\",x",
       ',',
       TextEncoding::kUtf8WithBom,
       true,
       {{2, "Ek, \"Bo\"", "0701", {}}, {5, "Al", "0702", {}}}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.bytes);
    ContactFile file;
    file.table = ReadCsvTable(test.bytes);
    EXPECT_EQ(file.table.separator, test.separator);
    EXPECT_EQ(file.table.encoding, test.encoding);
    EXPECT_EQ(file.table.header_recognised, test.header_recognised);
    ImportChoices choices;
    choices.columns = file.table.guessed;
    if (!test.header_recognised) choices.columns = {0, -1, -1, {1}, -1};
    choices.first_row_is_header = test.header_recognised;
    const ImportPlan plan = PlanImport(file, choices);
    EXPECT_EQ(plan.people, test.people);
    EXPECT_TRUE(plan.skipped.empty());
  }
}

}  // namespace
}  // namespace tolvane
