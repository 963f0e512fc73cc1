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
  std::string Read(const char* section, const char* key, const std::string& fallback = "") {
    return IniFile::ReadString(path_, section, key, fallback);
  }
  unsigned Mode() const {
    struct stat info {};
    stat(path_.c_str(), &info);
    return info.st_mode & 0777;
  }

  testing::TempDir dir_;
  std::string path_ = dir_.FilePath("test.ini");
};

TEST_F(IniFileTest, ReadsTheFirstSectionAndKeyOfANameInAnyCaseCutTo127) {
  EXPECT_EQ(Read("Modem", "Baud", "19200"), "19200");
  dir_.WriteFile("test.ini", "[modem]\nbaud=9600\nInit=\n[A]\nk=" + std::string(200, 'x') +
                                 "\nk=second\n[A]\nk=third\n");
  EXPECT_EQ(Read("MODEM", "Baud", "x"), "9600");
  EXPECT_EQ(Read("Modem", "INIT", "ATZ"), "");  // empty is no default
  EXPECT_EQ(Read("Modem", "Port", "2"), "2");
  EXPECT_EQ(Read("A", "k"), std::string(127, 'x'));
  EXPECT_EQ(Read("A", "missing", std::string(130, 'd')), std::string(127, 'd'));
}

TEST_F(IniFileTest, WritingOneKeyKeepsEveryOtherByteAndThePermissions) {
  const std::string before =
      "; written by hand\r\n[Auto]\r\nPollTid= 10\r\nAutoFil=C:\\out  ; folder\r\n"
      "Unknown = kept \r\n\r\n[Extra]\r\nx=1\r\nx=2\r\n; trailing note\r\n";
  dir_.WriteFile("test.ini", before);
  chmod(path_.c_str(), 0640);
  ASSERT_TRUE(IniFile::WriteString(path_, "Auto", "VTid", " 5"));
  ASSERT_TRUE(IniFile::WriteString(path_, "auto", "pollTID", " 20"));
  ASSERT_TRUE(IniFile::WriteString(path_, "Extra", "x", "Can\xB4t \xE5\xE4\xF6"));
  EXPECT_EQ(dir_.ReadFile("test.ini"),
            "; written by hand\r\n[Auto]\r\nPollTid= 20\r\nAutoFil=C:\\out  ; folder\r\n"
            "Unknown = kept \r\nVTid= 5\r\n\r\n[Extra]\r\nx=Can\xB4t \xE5\xE4\xF6\r\nx=2\r\n"
            "; trailing note\r\n");
  EXPECT_EQ(Read("Auto", "Unknown"), "kept");
  EXPECT_EQ(Mode(), 0640u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 1);  // no temp
}

TEST_F(IniFileTest, NewFilesAreOwnerOnlyAndNewLinesTakeTheFilesLineEnd) {
  EXPECT_FALSE(IniFile::WriteString(dir_.FilePath("no/such/folder.ini"), "A", "k", "1"));
  ASSERT_TRUE(IniFile::WriteString(path_, "Modem", "Baud", "2400"));
  ASSERT_TRUE(IniFile::WriteString(path_, "TCP", "TCPProxy", "0"));
  EXPECT_EQ(dir_.ReadFile("test.ini"), "[Modem]\r\nBaud=2400\r\n[TCP]\r\nTCPProxy=0\r\n");
  EXPECT_EQ(Mode(), 0600u);

  // A hand-made file with LF ends and no line break after its last line.
  dir_.WriteFile("test.ini", "[A]\nx=1");
  ASSERT_TRUE(IniFile::WriteString(path_, "A", "y", "2"));
  ASSERT_TRUE(IniFile::WriteString(path_, "B", "z", "3"));
  EXPECT_EQ(dir_.ReadFile("test.ini"), "[A]\nx=1\ny=2\n[B]\nz=3\n");
}

}  // namespace
}  // namespace tolvane
