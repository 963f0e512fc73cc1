// The tool that writes the phone book installed with the program.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QProcess>
#include <filesystem>
#include <string>

#include "platform/sqlite_phone_book_store.h"
#include "support/temp_dir.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;

class MakeTeledataTest : public ::testing::Test {
 protected:
  // Runs the tool in a folder of its own; its exit status.
  int Run(const QStringList& arguments, const QString& program = TOLVANE_MAKE_TELEDATA) {
    QProcess tool;
    tool.setWorkingDirectory(QString::fromStdString(folder_.path().string()));
    tool.start(program, arguments);
    EXPECT_TRUE(tool.waitForFinished(30000));
    out_ = tool.readAllStandardOutput().toStdString();
    err_ = tool.readAllStandardError().toStdString();
    return tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
  }

  testing::TempDir folder_;
  std::string out_;
  std::string err_;
};

// It and the program answer --help with their usage on standard output, and
// name an unknown option, or one without its value, on standard error.
TEST_F(MakeTeledataTest, AnswersHelpNamesAWrongOptionAndWritesThePeopleItIsGiven) {
  using ::testing::HasSubstr;
  struct Case {
    QString program;
    QStringList missing_value;
    std::string complaint;
  };
  const QString bin = TOLVANE_BIN_DIR "/";
  const Case cases[] = {
      {TOLVANE_MAKE_TELEDATA, {"--people"}, "--people needs a number"},
      {bin + "tolvane", {"--store-secret"}, "usage: tolvane"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.program.toStdString());
    const std::string name = c.program.section('/', -1).toStdString();
    for (const char* help : {"--help", "-h"}) {
      EXPECT_EQ(Run({help}, c.program), 0) << err_;
      EXPECT_THAT(out_, HasSubstr("usage: " + name));
    }
    EXPECT_NE(Run({"--verbose"}, c.program), 0);
    EXPECT_THAT(err_, HasSubstr("unknown option --verbose"));
    EXPECT_NE(Run(c.missing_value, c.program), 0);
    EXPECT_THAT(err_, HasSubstr(c.complaint));
  }
  EXPECT_EQ(Run({"--people", "teledata.mdb"}), 2);
  EXPECT_THAT(err_, HasSubstr("--people takes a number"));
  EXPECT_EQ(Run({}), 2);
  EXPECT_TRUE(fs::is_empty(folder_.path()));

  // It writes the phone book with the people it is given.
  EXPECT_EQ(Run({"teledata.mdb", "Anna=0701", QString::fromUtf8("\xC3\x85sa=0702")}), 0) << err_;
  EXPECT_EQ(Run({"--", "-odd.mdb"}), 0) << err_;
  EXPECT_TRUE(fs::exists(folder_.path() / "-odd.mdb"));

  SqlitePhoneBookStore store;
  store.Open(folder_.FilePath("teledata.mdb"));
  auto cursor = store.OpenCursor(kPhoneBookTable);
  EXPECT_EQ(cursor->Field(kFieldNamn), "Anna");
  cursor->MoveNext();
  EXPECT_EQ(cursor->Field(kFieldNamn), "Åsa");
  EXPECT_EQ(cursor->Field(kFieldTelenummer), "0702");
}

}  // namespace
}  // namespace tolvane
