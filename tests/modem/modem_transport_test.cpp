#include "modem/modem_transport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "modem/modem_scenario.h"

namespace tolvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using InitReply = sim::ModemOptions::InitReply;
using DialOutcome = sim::ModemOptions::DialOutcome;
using ChecksumFault = sim::SmscOptions::ChecksumFault;

const std::string kDelivered = sim::SimSmsc::DeliveredText("46701234567");
const std::string kAck00 =
    "\x02"
    "00/00019/R/01/A//68"
    "\x03";

class ModemSendTest : public ModemScenario {};

TEST_F(ModemSendTest, WholeSendWithReceipt) {
  window->StartSend();

  EXPECT_EQ(Receipt(), kDelivered);
  EXPECT_EQ(window->Control(MainControl::kReceiptFrame).text, "Receipt for sending to: Anna");
  EXPECT_EQ(Status(), "");
  EXPECT_TRUE(window->Control(MainControl::kSend).enabled);
  EXPECT_FALSE(window->Control(MainControl::kCancel).enabled);
  EXPECT_EQ(dialogs.beeps(), 1);
  for (const char* status : {"Initialising modem...", "Dialing...", "Dialing 00491722278020",
                             "Waiting...", "Sending message...", "Waiting for receipt...",
                             "Sending confirmation...", "Hanging up..."}) {
    EXPECT_TRUE(SawStatus(status)) << status;
  }

  const std::string& wire = port.Written();
  EXPECT_EQ(wire.find("ATZ\r"), 0u);
  EXPECT_THAT(wire, HasSubstr("ATDT00491722278020\r"));
  ASSERT_EQ(smsc.Submits().size(), 1u);
  EXPECT_THAT(wire, HasSubstr(Framed(smsc.Submits()[0])));
  EXPECT_THAT(smsc.Submits()[0], HasSubstr("/O/30/46701234567/46707654321//1//////48656C6C6F/"));
  // The acknowledgement of the notification, byte for byte, is the last thing written.
  EXPECT_EQ(wire.substr(wire.size() - kAck00.size()), kAck00);
  EXPECT_THAT(smsc.Problems(), IsEmpty());
  EXPECT_EQ(smsc.Acknowledgements().size(), 1u);

  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(modem.Carrier());
  std::vector<std::string> log = LogLines();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_THAT(log[0], HasSubstr("\"Anna 46701234567\",\"" + kDelivered + "\",\"Hello\""));
}

TEST_F(ModemSendTest, UsePrefix2DialsWithIt) {
  window->OnPrefixChosen(2);
  window->StartSend();
  EXPECT_THAT(port.Written(), HasSubstr("ATDT0W00491722278020\r"));
  EXPECT_EQ(Receipt(), kDelivered);
}

TEST_F(ModemSendTest, PortMissing) {
  port.SetAvailable(false);
  window->StartSend();
  EXPECT_EQ(Receipt(), "The specified comport is not available");
  EXPECT_EQ(LogLines().size(), 1u);
}

TEST_F(ModemSendTest, InitErrorAndSilence) {
  modem.Options().init_reply = InitReply::kError;
  window->StartSend();
  EXPECT_EQ(Receipt(), "Error in Initstring!");
  EXPECT_EQ(modem.DialCount(), 0);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_THAT(LogLines()[0], HasSubstr("\"Error in Initstring!\""));

  modem.Options().init_reply = InitReply::kSilent;
  long long start = loop.Elapsed().count();
  window->StartSend();
  EXPECT_EQ(Receipt(), "No response from modem!");
  EXPECT_EQ(FirstAt(receipts, "No response from modem!") - start, 10000);
  EXPECT_EQ(modem.DialCount(), 0);
}

class ConnectCaseTest : public ModemScenario, public ::testing::WithParamInterface<const char*> {};

TEST_P(ConnectCaseTest, ConnectInAnyLetterCase) {
  modem.Options().connect_text = GetParam();
  window->StartSend();
  EXPECT_EQ(Receipt(), kDelivered);
}

INSTANTIATE_TEST_SUITE_P(Cases, ConnectCaseTest,
                         ::testing::Values("CONNECT 9600", "connect 9600", "Connect 19200/ARQ"));

TEST_F(ModemSendTest, BusyCountsDownAndRedials) {
  modem.Options().busy_count = 2;
  window->StartSend();

  EXPECT_EQ(Receipt(), kDelivered);
  EXPECT_EQ(modem.DialCount(), 3);
  EXPECT_EQ(CountReceipt("Busy"), 2);
  long long first = FirstAt(statuses, "Dialing again in 15 seconds");
  ASSERT_GE(first, 0);
  EXPECT_EQ(FirstAt(statuses, "Dialing again in 0 seconds") - first, 15000);
  EXPECT_FALSE(SawStatus("Dialing again in -1 seconds"));
}

TEST_F(ModemSendTest, CancelDuringRedialCountdown) {
  modem.Options().busy_count = 1000;
  // Dial result BUSY arrives near 10.1 s; the countdown runs from there.
  At(15000, [this] { window->CancelSend(); });
  window->StartSend();

  EXPECT_EQ(modem.DialCount(), 1);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_TRUE(window->Control(MainControl::kSend).enabled);
  EXPECT_LT(loop.Elapsed().count(), 16000);
  EXPECT_THAT(LogLines()[0], HasSubstr("\"Sending Cancelled.\""));
}

TEST_F(ModemSendTest, DialFailures) {
  modem.Options().outcome = DialOutcome::kNoDialtone;
  window->StartSend();
  EXPECT_EQ(Receipt(), "No dialtone!");

  modem.Options().outcome = DialOutcome::kNoCarrier;
  window->StartSend();
  EXPECT_EQ(Receipt(), "No answer, try again later.");
  EXPECT_EQ(modem.DialCount(), 2);
  EXPECT_EQ(LogLines().size(), 2u);
}

TEST_F(ModemSendTest, DialTimesOutAfterUppTid) {
  modem.Options().outcome = DialOutcome::kSilent;
  settings.UppTid = "40";
  window->StartSend();
  EXPECT_EQ(Receipt(), "Timeout.");
  EXPECT_EQ(FirstAt(receipts, "Timeout.") - FirstAt(statuses, "Dialing 00491722278020"), 40000);
}

TEST_F(ModemSendTest, SettleWaitWithErrorCorrection) {
  window->StartSend();
  EXPECT_EQ(FirstAt(statuses, "Sending message...") - FirstAt(statuses, "Waiting..."), 3000);
}

TEST_F(ModemSendTest, SettleWaitWithoutErrorCorrection) {
  settings.Felkorrigering = "0";
  settings.FelkorrigeringOn = false;
  window->StartSend();
  long long waiting = FirstAt(statuses, "No errorcorrection. Waiting 12 seconds...");
  ASSERT_GE(waiting, 0);
  EXPECT_EQ(FirstAt(statuses, "Sending message...") - waiting, 13000);
  EXPECT_EQ(Receipt(), kDelivered);
}

TEST_F(ModemSendTest, PositiveAnswerWithoutReceiptRequest) {
  settings.EjKvitto = "1";
  settings.EjKvittoOn = true;
  window->StartSend();
  EXPECT_EQ(Receipt(), "Message sent.");
  EXPECT_THAT(smsc.Submits()[0], HasSubstr("//0//////"));
  EXPECT_THAT(smsc.Acknowledgements(), IsEmpty());
  EXPECT_EQ(dialogs.beeps(), 1);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_THAT(LogLines()[0], HasSubstr("\"Message sent.\""));
}

struct Repeat {
  const char* code;
  const char* again;
  const char* last;
};

class RepeatTest : public ModemScenario, public ::testing::WithParamInterface<Repeat> {};

TEST_P(RepeatTest, SentThreeTimesThenDisconnects) {
  smsc.Options().negative_codes = {GetParam().code, GetParam().code, GetParam().code};
  window->StartSend();
  EXPECT_EQ(smsc.Submits().size(), 3u);
  EXPECT_EQ(smsc.Submits()[0], smsc.Submits()[2]);
  EXPECT_EQ(CountReceipt(GetParam().again), 2);
  EXPECT_EQ(Receipt(), GetParam().last);
  EXPECT_EQ(modem.DialCount(), 1);
  EXPECT_EQ(LogLines().size(), 1u);
}

TEST_P(RepeatTest, RepeatThatSucceeds) {
  smsc.Options().negative_codes = {GetParam().code};
  window->StartSend();
  EXPECT_EQ(CountReceipt(GetParam().again), 1);
  EXPECT_EQ(Receipt(), kDelivered);
}

INSTANTIATE_TEST_SUITE_P(Codes, RepeatTest,
                         ::testing::Values(Repeat{"01", "Checksumerror!   Sending message again.",
                                                  "Checksumerror!   Disconnecting."},
                                           Repeat{"02", "Syntax error!   Sending message again.",
                                                  "Syntax error!  Disconnecting."}));

class FinalCodeTest : public ModemScenario,
                      public ::testing::WithParamInterface<std::pair<const char*, const char*>> {};

TEST_P(FinalCodeTest, EndsTheCall) {
  smsc.Options().negative_codes = {GetParam().first};
  window->StartSend();
  EXPECT_EQ(Receipt(), GetParam().second);
  EXPECT_EQ(smsc.Submits().size(), 1u);
  EXPECT_FALSE(port.IsOpen());
}

INSTANTIATE_TEST_SUITE_P(Codes, FinalCodeTest,
                         ::testing::Values(std::pair{"04", "Operation not allowed!"},
                                           std::pair{"05", "Call barring active!"},
                                           std::pair{"06", "Wrong phonenumber"},
                                           std::pair{"22", "Time period not valid!"},
                                           std::pair{"24", "Message too long!"},
                                           std::pair{"07", "Unknown error!"}));

TEST_F(ModemSendTest, NotificationSplitOverReads) {
  smsc.Options().split_reads = 7;
  window->StartSend();
  EXPECT_EQ(Receipt(), kDelivered);
  EXPECT_EQ(smsc.Acknowledgements().size(), 1u);
}

TEST_F(ModemSendTest, AnswerAndNotificationInOneReadBothCount) {
  smsc.Options().together = true;
  window->StartSend();
  EXPECT_EQ(Receipt(), kDelivered);
  EXPECT_EQ(smsc.Acknowledgements().size(), 1u);
}

TEST_F(ModemSendTest, NoiseBeforeTheFramesIsDropped) {
  smsc.Options().noise = "\r\nxy";
  smsc.Options().split_reads = 3;
  window->StartSend();
  EXPECT_EQ(Receipt(), kDelivered);
}

class BadChecksumTest : public ModemScenario,
                        public ::testing::WithParamInterface<ChecksumFault> {};

TEST_P(BadChecksumTest, NotificationRefused) {
  smsc.Options().notification_checksum = GetParam();
  window->StartSend();
  EXPECT_EQ(Receipt(), "Incorrect receipt from operator.");
  EXPECT_THAT(smsc.Acknowledgements(), IsEmpty());
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(dialogs.beeps(), 1);
}

INSTANTIATE_TEST_SUITE_P(Faults, BadChecksumTest,
                         ::testing::Values(ChecksumFault::kWrong, ChecksumFault::kLowerCase));

TEST_F(ModemSendTest, NoAnswerEndsOnThe41stTick) {
  smsc.Options().answer = false;
  window->StartSend();
  EXPECT_EQ(Receipt(), "The operator didn\xB4t send a receipt.");
  EXPECT_EQ(FirstAt(receipts, Receipt()) - FirstAt(statuses, "Waiting for receipt..."), 82000);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_THAT(LogLines()[0], HasSubstr("\"The operator didn\xB4t send a receipt.\""));
}

TEST_F(ModemSendTest, CarrierLostWhileWaiting) {
  smsc.Options().drop_carrier_after_submit = true;
  window->StartSend();
  EXPECT_EQ(Receipt(), "Operator closed the connection.");
  EXPECT_FALSE(port.IsOpen());
}

TEST_F(ModemSendTest, ModemPulledOutWhileWaiting) {
  smsc.Options().answer = false;
  At(20000, [this] { port.Unplug(); });
  window->StartSend();
  EXPECT_EQ(Receipt(), "Operator closed the connection.");
  EXPECT_LT(loop.Elapsed().count(), 23000);
  EXPECT_TRUE(window->Control(MainControl::kSend).enabled);
}

TEST_F(ModemSendTest, CancelWhileWaitingForTheReceipt) {
  smsc.Options().answer = false;
  At(20000, [this] { window->CancelSend(); });
  window->StartSend();
  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(modem.Carrier());
  std::vector<std::string> log = LogLines();
  ASSERT_FALSE(log.empty());
  EXPECT_THAT(log[0], HasSubstr("\"Sending Cancelled.\""));
}

TEST_F(ModemSendTest, DoubleMessageIsTwoFramesOnOneCall) {
  std::string first(160, 'a');
  std::string second = "the rest";
  window->OnDoubleToggled(true);
  Type(first + second);
  window->StartSend();

  EXPECT_EQ(modem.DialCount(), 1);
  ASSERT_EQ(smsc.Submits().size(), 2u);
  EXPECT_EQ(smsc.Submits()[0].substr(0, 3), "00/");
  EXPECT_EQ(smsc.Submits()[1].substr(0, 3), "01/");
  EXPECT_THAT(smsc.Problems(), IsEmpty());
  EXPECT_EQ(smsc.Acknowledgements().size(), 2u);
  EXPECT_THAT(port.Written(), HasSubstr("\x02"
                                        "01/00019/R/01/A//69"
                                        "\x03"));
  EXPECT_EQ(window->MessageText(), first + second);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_TRUE(window->Control(MainControl::kSend).enabled);

  std::vector<std::string> log = LogLines();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_THAT(log[0], HasSubstr("\"" + first + "\""));
  EXPECT_THAT(log[1], HasSubstr("\"" + second + "\""));
}

TEST_F(ModemSendTest, DoubleMessageStopsWhenTheDialFails) {
  modem.Options().outcome = DialOutcome::kNoCarrier;
  window->OnDoubleToggled(true);
  Type(std::string(170, 'b'));
  window->StartSend();
  EXPECT_EQ(Receipt(), "No answer, try again later.");
  EXPECT_EQ(window->MessageText(), std::string(170, 'b'));
  EXPECT_TRUE(window->Control(MainControl::kSend).enabled);
  EXPECT_EQ(LogLines().size(), 1u);
}

}  // namespace
}  // namespace tolvane::testing
