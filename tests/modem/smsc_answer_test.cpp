// What the line carries where the SMS centre's answer to a submit belongs:
// only a well-formed answer counts, anything else is noise to wait through.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

#include "modem/modem_scenario.h"

namespace tolvane::testing {
namespace {

const std::string kPositive = "00/00043/R/30/A//0701234567:061226100000/25";
const char kStx = '\x02';
const char kEtx = '\x03';

std::string Framed(const std::string& text) { return kStx + text + kEtx; }

std::string RandomBytes(size_t size) {
  std::mt19937 random(2000);
  std::uniform_int_distribution<int> byte(0, 255);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(byte(random));
  return bytes;
}

class SmscAnswerTest : public ModemScenario {};

TEST_F(SmscAnswerTest, AGarbledAnswerIsNeverTakenForAnAcceptance) {
  // Without a receipt request, a believed answer would end the send at once
  // with "Message sent.".
  settings.EjKvitto = "1";
  settings.EjKvittoOn = true;
  const std::string wrong_checksum = kPositive.substr(0, kPositive.size() - 2) + "26";
  const std::vector<std::string> garbled = {
      Framed(kPositive.substr(0, 20)),
      Framed(wrong_checksum),
      Framed("Hello"),
      std::string(50, kStx) + std::string(50, kEtx),
      Framed(std::string(2000, '7')),
      RandomBytes(500),
      kStx + kPositive.substr(0, 30),
  };
  for (size_t i = 0; i < garbled.size(); ++i) {
    smsc.Options().garbled_answer = garbled[i];
    window->StartSend();
    EXPECT_EQ(Receipt(), "The operator didn\xB4t send a receipt.") << i;
    EXPECT_FALSE(window->State().accepted) << i;
    EXPECT_EQ(smsc.Submits().size(), i + 1);
    EXPECT_TRUE(window->Control(MainControl::kSend).enabled);
  }
  EXPECT_EQ(receipts.Count("Message sent."), 0);
  EXPECT_EQ(dialogs.beeps(), 0);
}

TEST_F(SmscAnswerTest, NoiseBeforeTheAnswerIsPassedOver) {
  smsc.Options().before_answer = std::string(30, kStx) + std::string(30, kEtx) +
                                 Framed(std::string(2000, '7')) + kStx + kPositive.substr(0, 25) +
                                 Framed(kPositive.substr(3));
  smsc.Options().split_reads = 9;
  window->StartSend();
  EXPECT_EQ(Receipt(), sim::SimSmsc::DeliveredText("46701234567"));
  EXPECT_TRUE(window->State().accepted);
  EXPECT_EQ(smsc.Acknowledgements().size(), 1u);
}

TEST_F(SmscAnswerTest, ARefusalWithoutItsCodeIsAnUnknownError) {
  smsc.Options().garbled_answer = Framed("00/00019/R/30/N//77");
  window->StartSend();
  EXPECT_EQ(Receipt(), "Unknown error!");
  EXPECT_FALSE(window->State().accepted);
  EXPECT_EQ(smsc.Submits().size(), 1u);
  EXPECT_THAT(LogLines(), ::testing::ElementsAre(::testing::HasSubstr("\"Unknown error!\"")));
}

}  // namespace
}  // namespace tolvane::testing
