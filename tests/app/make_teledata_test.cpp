// The tool that writes the phone book installed with the program.
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
  int Run(const QStringList& arguments) {
    QProcess tool;
    tool.setWorkingDirectory(QString::fromStdString(folder_.path().string()));
    tool.start(TOLVANE_MAKE_TELEDATA, arguments);
    EXPECT_TRUE(tool.waitForFinished(30000));
    out_ = tool.readAllStandardOutput().toStdString();
    err_ = tool.readAllStandardError().toStdString();
    return tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
  }
  bool FolderIsEmpty() const { return fs::is_empty(folder_.path()); }

  testing::TempDir folder_;
  std::string out_;
  std::string err_;
};

TEST_F(MakeTeledataTest, HelpAndUnknownOptionsWriteNoDatabase) {
  EXPECT_EQ(Run({"--help"}), 0);
  EXPECT_NE(out_.find("usage: make_teledata"), std::string::npos) << out_;
  EXPECT_EQ(Run({"-h", "teledata.mdb"}), 0);
  EXPECT_EQ(Run({"--verbose", "teledata.mdb"}), 2);
  EXPECT_NE(err_.find("unknown option --verbose"), std::string::npos) << err_;
  EXPECT_EQ(Run({"--people", "teledata.mdb"}), 2);
  EXPECT_NE(err_.find("--people takes a number"), std::string::npos) << err_;
  EXPECT_EQ(Run({}), 2);
  EXPECT_TRUE(FolderIsEmpty());
}

TEST_F(MakeTeledataTest, WritesThePhoneBookWithItsPeople) {
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
