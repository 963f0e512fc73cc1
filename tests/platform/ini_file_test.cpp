#include "platform/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <iterator>

#include "support/temp_dir.h"

namespace tolvane {
namespace {

class IniFileTest : public ::testing::Test {
 protected:
  testing::TempDir dir_;
  std::string path_ = dir_.FilePath("test.ini");
};

TEST_F(IniFileTest, MissingFileOrKeyGivesDefault) {
  EXPECT_EQ(IniFile::ReadString(path_, "Modem", "Baud", "19200"), "19200");
  dir_.WriteFile("test.ini", "[Modem]\nPort=3\n");
  EXPECT_EQ(IniFile::ReadString(path_, "Modem", "Baud", "19200"), "19200");
  EXPECT_EQ(IniFile::ReadString(path_, "Other", "Port", "2"), "2");
}

TEST_F(IniFileTest, NamesIgnoreCaseAndEmptyValueIsNotDefault) {
  dir_.WriteFile("test.ini", "[modem]\nbaud=9600\nInit=\n");
  EXPECT_EQ(IniFile::ReadString(path_, "MODEM", "Baud", "x"), "9600");
  EXPECT_EQ(IniFile::ReadString(path_, "Modem", "INIT", "ATZ"), "");

  ASSERT_TRUE(IniFile::WriteString(path_, "MoDeM", "BAUD", "2400"));
  EXPECT_EQ(dir_.ReadFile("test.ini"), "[modem]\nbaud=2400\nInit=\n");
}

TEST_F(IniFileTest, LongValuesAreCutTo127) {
  dir_.WriteFile("test.ini", "[A]\nk=" + std::string(200, 'x') + "\n");
  EXPECT_EQ(IniFile::ReadString(path_, "A", "k", ""), std::string(127, 'x'));
  EXPECT_EQ(IniFile::ReadString(path_, "A", "missing", std::string(130, 'd')),
            std::string(127, 'd'));
}

TEST_F(IniFileTest, FirstWriteCreatesOwnerOnlyFile) {
  ASSERT_TRUE(IniFile::WriteString(path_, "Modem", "Baud", "2400"));
  EXPECT_EQ(IniFile::ReadString(path_, "Modem", "Baud", ""), "2400");
  struct stat info;
  ASSERT_EQ(stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(IniFileTest, WriteKeepsOtherContentAndPermissions) {
  dir_.WriteFile("test.ini", "; my notes\n[A]\nx=1\n\n; about B\n[B]\ny=2\n");
  chmod(path_.c_str(), 0640);
  ASSERT_TRUE(IniFile::WriteString(path_, "A", "z", "3"));
  ASSERT_TRUE(IniFile::WriteString(path_, "C", "w", "4"));
  EXPECT_EQ(IniFile::ReadString(path_, "A", "x", ""), "1");
  EXPECT_EQ(IniFile::ReadString(path_, "B", "y", ""), "2");
  EXPECT_EQ(IniFile::ReadString(path_, "A", "z", ""), "3");
  EXPECT_EQ(IniFile::ReadString(path_, "C", "w", ""), "4");
  const std::string content = dir_.ReadFile("test.ini");
  EXPECT_NE(content.find("; my notes"), std::string::npos);
  EXPECT_LT(content.find("; about B"), content.find("[B]"));
  struct stat info;
  ASSERT_EQ(stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 1);  // no temp
}

TEST_F(IniFileTest, EightBitValuesPassUnchanged) {
  const std::string value = "Can\xB4t \xE5\xE4\xF6";
  ASSERT_TRUE(IniFile::WriteString(path_, "Auto", "AutoFilSep", value));
  EXPECT_EQ(IniFile::ReadString(path_, "Auto", "AutoFilSep", ""), value);
}

TEST_F(IniFileTest, WritingOneKeyKeepsEveryOtherByte) {
  const std::string before =
      "; written by hand\r\n[Auto]\r\nPollTid= 10\r\nAutoFil=C:\\out  ; folder\r\n"
      "Unknown = kept \r\n\r\n[Extra]\r\nx=1\r\n; trailing note\r\n";
  dir_.WriteFile("test.ini", before);
  ASSERT_TRUE(IniFile::WriteString(path_, "Auto", "VTid", " 5"));
  ASSERT_TRUE(IniFile::WriteString(path_, "auto", "pollTID", " 20"));
  EXPECT_EQ(dir_.ReadFile("test.ini"),
            "; written by hand\r\n[Auto]\r\nPollTid= 20\r\nAutoFil=C:\\out  ; folder\r\n"
            "Unknown = kept \r\nVTid= 5\r\n\r\n[Extra]\r\nx=1\r\n; trailing note\r\n");
  EXPECT_EQ(IniFile::ReadString(path_, "Auto", "PollTid", ""), "20");
  EXPECT_EQ(IniFile::ReadString(path_, "Auto", "Unknown", ""), "kept");
}

TEST_F(IniFileTest, NewSectionsAndKeysTakeTheFilesLineEnd) {
  ASSERT_TRUE(IniFile::WriteString(path_, "Modem", "Baud", "2400"));
  ASSERT_TRUE(IniFile::WriteString(path_, "TCP", "TCPProxy", "0"));
  EXPECT_EQ(dir_.ReadFile("test.ini"), "[Modem]\r\nBaud=2400\r\n[TCP]\r\nTCPProxy=0\r\n");

  // A hand-made file with LF ends and no line break after its last line.
  dir_.WriteFile("test.ini", "[A]\nx=1");
  ASSERT_TRUE(IniFile::WriteString(path_, "A", "y", "2"));
  ASSERT_TRUE(IniFile::WriteString(path_, "B", "z", "3"));
  EXPECT_EQ(dir_.ReadFile("test.ini"), "[A]\nx=1\ny=2\n[B]\nz=3\n");
}

TEST_F(IniFileTest, TheFirstSectionAndKeyOfANameCount) {
  dir_.WriteFile("test.ini", "[A]\r\nk=first\r\nk=second\r\n[A]\r\nk=third\r\n");
  EXPECT_EQ(IniFile::ReadString(path_, "A", "k", ""), "first");
  ASSERT_TRUE(IniFile::WriteString(path_, "A", "k", "new"));
  EXPECT_EQ(IniFile::ReadString(path_, "A", "k", ""), "new");
  EXPECT_EQ(dir_.ReadFile("test.ini"), "[A]\r\nk=new\r\nk=second\r\n[A]\r\nk=third\r\n");
}

TEST_F(IniFileTest, RefusesLineBreaksAndUnwritableFolders) {
  EXPECT_FALSE(IniFile::WriteString(path_, "A", "k", "1\n[B]\nx=2"));
  EXPECT_FALSE(IniFile::WriteString(dir_.FilePath("no/such/folder.ini"), "A", "k", "1"));
}

}  // namespace
}  // namespace tolvane
