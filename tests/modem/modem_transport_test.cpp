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
  EXPECT_EQ(window->Control(MainControl::kStatusLine).text, "");
  EXPECT_TRUE(window->Control(MainControl::kSend).enabled);
  EXPECT_FALSE(window->Control(MainControl::kCancel).enabled);
  EXPECT_EQ(dialogs.beeps(), 1);
  for (const char* status : {"Initialising modem...", "Dialing...", "Dialing 00491722278020",
                             "Waiting...", "Sending message...", "Waiting for receipt...",
                             "Sending confirmation...", "Hanging up..."}) {
    EXPECT_TRUE(statuses.Saw(status)) << status;
  }
  // The modem settles for 3 s with error correction on.
  EXPECT_EQ(statuses.FirstAt("Sending message...") - statuses.FirstAt("Waiting..."), 3000);

  const std::string& wire = port.Written();
  EXPECT_EQ(wire.find("ATZ\r"), 0u);
  EXPECT_THAT(wire, HasSubstr("ATDT00491722278020\r"));
  ASSERT_EQ(smsc.Submits().size(), 1u);
  EXPECT_THAT(wire, HasSubstr("\x02" + smsc.Submits()[0] + "\x03"));
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

TEST_F(ModemSendTest, NothingIsDialledWhenThePortOrTheModemFails) {
  port.SetAvailable(false);
  window->StartSend();
  EXPECT_EQ(Receipt(), "The specified comport is not available");
  port.SetAvailable(true);

  modem.Options().init_reply = InitReply::kError;
  window->StartSend();
  EXPECT_EQ(Receipt(), "Error in Initstring!");
  EXPECT_FALSE(port.IsOpen());

  modem.Options().init_reply = InitReply::kSilent;
  long long start = loop.Elapsed().count();
  window->StartSend();
  EXPECT_EQ(Receipt(), "No response from modem!");
  EXPECT_EQ(receipts.FirstAt("No response from modem!") - start, 10000);
  EXPECT_EQ(modem.DialCount(), 0);
  std::vector<std::string> log = LogLines();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_THAT(log[1], HasSubstr("\"Error in Initstring!\""));
}

TEST_F(ModemSendTest, ConnectInAnyLetterCase) {
  for (const char* connect : {"CONNECT 9600", "connect 9600", "Connect 19200/ARQ"}) {
    modem.Options().connect_text = connect;
    window->StartSend();
    EXPECT_EQ(Receipt(), kDelivered) << connect;
  }
}

TEST_F(ModemSendTest, BusyCountsDownAndRedials) {
  modem.Options().busy_count = 2;
  window->StartSend();

  EXPECT_EQ(Receipt(), kDelivered);
  EXPECT_EQ(modem.DialCount(), 3);
  EXPECT_EQ(receipts.Count("Busy"), 2);
  long long first = statuses.FirstAt("Dialing again in 15 seconds");
  ASSERT_GE(first, 0);
  EXPECT_EQ(statuses.FirstAt("Dialing again in 0 seconds") - first, 15000);
  EXPECT_FALSE(statuses.Saw("Dialing again in -1 seconds"));
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

TEST_F(ModemSendTest, DialFailuresEndTheSend) {
  modem.Options().outcome = DialOutcome::kSilent;
  settings.UppTid = "30";
  window->StartSend();
  EXPECT_EQ(Receipt(), "Timeout.");
  EXPECT_EQ(receipts.FirstAt("Timeout.") - statuses.FirstAt("Dialing 00491722278020"), 30000);

  modem.Options().outcome = DialOutcome::kNoDialtone;
  window->StartSend();
  EXPECT_EQ(Receipt(), "No dialtone!");
  modem.Options().outcome = DialOutcome::kNoCarrier;
  window->StartSend();
  EXPECT_EQ(Receipt(), "No answer, try again later.");
  EXPECT_EQ(modem.DialCount(), 3);
  EXPECT_EQ(LogLines().size(), 3u);
}

TEST_F(ModemSendTest, WithoutErrorCorrectionTheModemSettlesLonger) {
  settings.Felkorrigering = "0";
  settings.FelkorrigeringOn = false;
  window->StartSend();
  long long waiting = statuses.FirstAt("No errorcorrection. Waiting 12 seconds...");
  ASSERT_GE(waiting, 0);
  EXPECT_EQ(statuses.FirstAt("Sending message...") - waiting, 13000);
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

TEST_P(RepeatTest, SentAgainAtMostTwice) {
  const Repeat& repeat = GetParam();
  smsc.Options().negative_codes = {repeat.code, repeat.code, repeat.code};
  window->StartSend();
  EXPECT_EQ(smsc.Submits().size(), 3u);
  EXPECT_EQ(smsc.Submits()[0], smsc.Submits()[2]);
  EXPECT_EQ(receipts.Count(repeat.again), 2);
  EXPECT_EQ(Receipt(), repeat.last);
  EXPECT_EQ(modem.DialCount(), 1);
  EXPECT_EQ(LogLines().size(), 1u);

  smsc.Options().negative_codes = {repeat.code};
  window->StartSend();
  EXPECT_EQ(receipts.Count(repeat.again), 3);
  EXPECT_EQ(Receipt(), kDelivered);
}

INSTANTIATE_TEST_SUITE_P(Codes, RepeatTest,
                         ::testing::Values(Repeat{"01", "Checksumerror!   Sending message again.",
                                                  "Checksumerror!   Disconnecting."},
                                           Repeat{"02", "Syntax error!   Sending message again.",
                                                  "Syntax error!  Disconnecting."}));

TEST_F(ModemSendTest, OtherRefusalsEndTheCall) {
  size_t sends = 0;
  for (auto [code, receipt] :
       {std::pair{"04", "Operation not allowed!"}, std::pair{"05", "Call barring active!"},
        std::pair{"06", "Wrong phonenumber"}, std::pair{"22", "Time period not valid!"},
        std::pair{"24", "Message too long!"}, std::pair{"07", "Unknown error!"}}) {
    smsc.Options().negative_codes = {code};
    window->StartSend();
    EXPECT_EQ(Receipt(), receipt);
    EXPECT_EQ(smsc.Submits().size(), ++sends) << code;
    EXPECT_FALSE(port.IsOpen());
  }
}

TEST_F(ModemSendTest, FramesAreFoundHoweverTheReadsCutThem) {
  const std::vector<std::function<void(sim::SmscOptions&)>> cuts = {
      [](sim::SmscOptions& options) { options.split_reads = 7; },
      [](sim::SmscOptions& options) { options.together = true; },
      [](sim::SmscOptions& options) {
        options.noise = "\r\nxy";
        options.split_reads = 3;
      }};
  for (size_t i = 0; i < cuts.size(); ++i) {
    smsc.Options() = {};
    cuts[i](smsc.Options());
    window->StartSend();
    EXPECT_EQ(Receipt(), kDelivered) << i;
    EXPECT_EQ(smsc.Acknowledgements().size(), i + 1) << i;
  }
}

TEST_F(ModemSendTest, NotificationWithABadChecksumIsRefused) {
  int sends = 0;
  for (ChecksumFault fault : {ChecksumFault::kWrong, ChecksumFault::kLowerCase}) {
    smsc.Options().notification_checksum = fault;
    window->StartSend();
    EXPECT_EQ(Receipt(), "Incorrect receipt from operator.");
    EXPECT_THAT(smsc.Acknowledgements(), IsEmpty());
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(dialogs.beeps(), ++sends);
  }
}

TEST_F(ModemSendTest, FramesBeforeTheSubmitIsWrittenAnswerNothing) {
  // A well-formed refusal arrives during the settle wait, before the frame
  // is on the line: taken as the answer, it would end the exchange (and the
  // timer the wait needs) before the message went out.
  At(11500, [this] {
    ASSERT_EQ(statuses.Texts().back(), "Waiting...");
    smsc.Write(
        "\x02"
        "00/00022/R/30/N/04//04"
        "\x03");
  });
  window->StartSend();
  EXPECT_EQ(Receipt(), kDelivered);
  EXPECT_FALSE(receipts.Saw("Operation not allowed!"));
  EXPECT_EQ(smsc.Submits().size(), 1u);
  EXPECT_EQ(LogLines().size(), 1u);
}

TEST_F(ModemSendTest, NoAnswerEndsOnThe41stTick) {
  smsc.Options().answer = false;
  window->StartSend();
  EXPECT_EQ(Receipt(), "The operator didn\xB4t send a receipt.");
  EXPECT_EQ(receipts.FirstAt(Receipt()) - statuses.FirstAt("Waiting for receipt..."), 82000);
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

// The modem pulled out right after each operation of a send on the port in
// turn: every send ends with its text in the log, with the line closed and
// the window unlocked, and the modem plugged in again sends as before.
class PortVanishingTest : public ModemScenario {
 protected:
  void ExpectEveryVanishingEndsTheSend() {
    window->StartSend();
    const std::string delivered = Receipt();
    const int steps = port.Operations();
    for (int step = 0; step < steps; ++step) {
      SCOPED_TRACE("port vanishes after operation " + std::to_string(step));
      port.SetAvailable(true);
      port.UnplugAfter(port.Operations() + step);
      const size_t logged = LogLines().size();
      window->StartSend();
      EXPECT_FALSE(Receipt().empty());
      EXPECT_TRUE(window->Control(MainControl::kSend).enabled);
      EXPECT_FALSE(window->Control(MainControl::kCancel).enabled);
      EXPECT_FALSE(port.IsOpen());
      EXPECT_FALSE(modem.Carrier());
      const std::vector<LogRecord> log = ReadLogRecords(book.Folder());
      ASSERT_GT(log.size(), logged);
      EXPECT_EQ(log.back().result, Receipt());
    }
    port.SetAvailable(true);
    port.UnplugAfter(-1);
    window->StartSend();
    EXPECT_EQ(Receipt(), delivered);
  }
};

TEST_F(PortVanishingTest, SingleMessage) { ExpectEveryVanishingEndsTheSend(); }

TEST_F(PortVanishingTest, DoubleMessage) {
  window->OnDoubleToggled(true);
  TypeMessage(*window, std::string(160, 'a') + "the rest");
  ExpectEveryVanishingEndsTheSend();
  EXPECT_EQ(window->MessageText(), std::string(160, 'a') + "the rest");
}

TEST_F(ModemSendTest, CancelWhileWaitingForTheReceipt) {
  smsc.Options().answer = false;
  At(20000, [this] { window->CancelSend(); });
  window->StartSend();
  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(modem.Carrier());
  // Cancel ends the send at once, and the closing step must not log it again.
  std::vector<std::string> log = LogLines();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_THAT(log[0], HasSubstr("\"Sending Cancelled.\""));
}

TEST_F(ModemSendTest, DoubleMessageIsTwoFramesOnOneCall) {
  std::string first(160, 'a');
  std::string second = "the rest";
  window->OnDoubleToggled(true);
  TypeMessage(*window, first + second);
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
  TypeMessage(*window, std::string(170, 'b'));
  window->StartSend();
  EXPECT_EQ(Receipt(), "No answer, try again later.");
  EXPECT_EQ(window->MessageText(), std::string(170, 'b'));
  EXPECT_TRUE(window->Control(MainControl::kSend).enabled);
  EXPECT_EQ(LogLines().size(), 1u);
}

}  // namespace
}  // namespace tolvane::testing
