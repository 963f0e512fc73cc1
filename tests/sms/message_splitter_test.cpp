// Cutting texts into parts, the compose counter, the part limit and the
// reference that links the parts.
#include <gtest/gtest.h>

#include "platform/local_file_system.h"
#include "sms/compose_counter.h"
#include "sms/file_reference_counter.h"
#include "sms/message_settings.h"
#include "sms/message_splitter.h"
#include "sms/sms_message.h"
#include "support/crashing_file_system.h"
#include "support/temp_dir.h"

namespace tolvane {
namespace {

std::string Repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

class CountingReferences : public ReferenceCounter {
 public:
  uint8_t Next() override { return static_cast<uint8_t>(++calls); }
  int calls = 0;
};

TEST(MessageSplitterTest, PartsAndCounterOfACorpus) {
  const struct {
    std::string name;
    std::string text;
    int parts;
    size_t first_part;  // septets or octets
    std::string counter;
  } kCases[] = {
      {"empty", "", 1, 0, "160 left · 1 SMS"},
      {"161 GSM", std::string(161, 'a'), 2, 153, "145 left · 2 SMS"},
      {"70 UCS-2", Repeat("Ж", 70), 1, 140, "0 left · 1 SMS · Unicode"},
      {"71 UCS-2", Repeat("Ж", 71), 2, 134, "63 left · 2 SMS · Unicode"},
      // An escape pair that would end a part half goes whole to the next one;
      // one that fits exactly stays.
      {"escape over boundary", std::string(152, 'a') + "€" + std::string(10, 'b'), 2, 152,
       "141 left · 2 SMS"},
      {"escape at boundary", std::string(151, 'a') + "€" + std::string(10, 'b'), 2, 153,
       "143 left · 2 SMS"},
      {"escape fills single", std::string(158, 'a') + "€", 1, 160, "0 left · 1 SMS"},
      // The same with a surrogate pair.
      {"emoji over boundary", Repeat("Ж", 66) + "😀" + "xxxxx", 2, 132, "60 left · 2 SMS · Unicode"},
      {"emoji at boundary", Repeat("Ж", 65) + "😀" + "xxxxx", 2, 134, "62 left · 2 SMS · Unicode"},
      // An emoji at the start makes the whole text UCS-2: 67 units a part.
      {"emoji fills six", "😀" + std::string(400, 'a'), 6, 134, "0 left · 6 SMS · Unicode"},
      {"emoji one over six", "😀" + std::string(401, 'a'), 7, 134,
       "7 SMS, over the limit of 6 · Unicode"},
      {"malformed goes Unicode", "abc\xFF", 1, 8, "66 left · 1 SMS · Unicode"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const TextParts split = SplitIntoParts(c.text);
    ASSERT_EQ(split.parts.size(), static_cast<size_t>(c.parts));
    EXPECT_EQ(split.parts.front().size(), c.first_part);
    EXPECT_EQ(CountForCompose(c.text, kDefaultMaxParts).text, c.counter);
  }
}

// (The settings loader's tests show the limits falling back to their defaults.)
TEST(MessageSplitterTest, OnlyLinkedPartsThatGoTakeAReference) {
  CountingReferences references;
  const SmsMessage single = PrepareMessage("Hello", kDefaultMaxParts, references);
  ASSERT_EQ(single.parts.size(), 1u);
  EXPECT_EQ(single.parts[0].header, "");
  EXPECT_TRUE(PrepareMessage(std::string(6 * 153 + 1, 'a'), 6, references).parts.empty());
  EXPECT_EQ(references.calls, 0);
  EXPECT_EQ(PrepareMessage(std::string(161, 'a'), 0, references).error,
            "Message too long: 2 parts, at most 1");
}

TEST(MessageSplitterTest, ReferenceSurvivesARestartAndAFailedWrite) {
  testing::TempDir dir;
  {
    FileReferenceCounter counter(LocalFileSystem::Instance(), dir.Folder());
    EXPECT_EQ(counter.Next(), 1);
    EXPECT_EQ(counter.Next(), 2);
  }
  EXPECT_EQ(dir.ReadFile("smsref.dat"), "2\r\n");
  EXPECT_EQ(FileReferenceCounter(LocalFileSystem::Instance(), dir.Folder()).Next(), 3);

  dir.WriteFile("smsref.dat", "255\r\n");
  FileReferenceCounter wrapping(LocalFileSystem::Instance(), dir.Folder());
  EXPECT_EQ(wrapping.Next(), 0);
  dir.WriteFile("smsref.dat", "garbage");
  EXPECT_EQ(FileReferenceCounter(LocalFileSystem::Instance(), dir.Folder()).Next(), 1);

  // A disk that takes nothing: the count goes on in memory, the old file stays.
  testing::CrashingFileSystem files;
  files.CrashAt(0);
  FileReferenceCounter on_full_disk(files, dir.Folder());
  EXPECT_EQ(on_full_disk.Next(), 2);
  EXPECT_EQ(on_full_disk.Next(), 3);
  EXPECT_EQ(dir.ReadFile("smsref.dat"), "1\r\n");
}

}  // namespace
}  // namespace tolvane
