// Sends over the simulated modem and SMS centre, delayed ones too.
#include "modem/modem_transport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "bulk/command_line_sending.h"
#include "bulk/time_to_send_dialog.h"
#include "platform/local_time.h"
#include "support/scenarios.h"

namespace tolvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using InitReply = sim::ModemOptions::InitReply;
using DialOutcome = sim::ModemOptions::DialOutcome;
using ChecksumFault = sim::SmscOptions::ChecksumFault;

const std::string kDelivered = sim::SimSmsc::DeliveredText("46701234567");
const std::string kNoReceipt = "The operator didn´t send a receipt.";

std::string Framed(const std::string& text) { return "\x02" + text + "\x03"; }

class ModemSendTest : public ModemScenario {
 protected:
  void ExpectEnded() {
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(modem.Carrier());
    EXPECT_TRUE(Enabled(MainControl::kSend));
    EXPECT_FALSE(Enabled(MainControl::kCancel));
  }
  // Sends: it fails with `receipt`, and the line and the window are free.
  void ExpectFailed(const std::string& receipt) {
    window->StartSend();
    EXPECT_EQ(Receipt(), receipt);
    EXPECT_FALSE(window->State().accepted);
    ExpectEnded();
    EXPECT_THAT(LogLines().back(), HasSubstr("\",\"" + receipt + "\","));
  }
};

TEST_F(ModemSendTest, WholeSendWithReceipt) {
  window->StartSend();

  EXPECT_EQ(Receipt(), kDelivered);
  EXPECT_EQ(dialogs.beeps(), 1);
  EXPECT_THAT(
      statuses.Texts(),
      ::testing::IsSupersetOf({"Initialising modem...", "Dialing...", "Dialing 00491722278020",
                               "Waiting...", "Sending message...", "Waiting for receipt...",
                               "Sending confirmation...", "Hanging up..."}));
  EXPECT_EQ(statuses.FirstAt("Sending message...") - statuses.FirstAt("Waiting..."), 3000);

  const std::string& wire = port.Written();
  EXPECT_EQ(wire.find("ATZ\r"), 0u);
  EXPECT_THAT(wire, HasSubstr("ATDT00491722278020\r"));
  ASSERT_EQ(smsc.Submits().size(), 1u);
  EXPECT_THAT(smsc.Submits()[0], HasSubstr("/O/30/46701234567/46707654321//1//////48656C6C6F/"));
  EXPECT_THAT(wire, ::testing::EndsWith(Framed("00/00019/R/01/A//68")));
  EXPECT_THAT(smsc.Problems(), IsEmpty());
  ExpectEnded();
  EXPECT_THAT(LogLines(), ElementsAre("\"Anna 46701234567\",\"" + kDelivered + "\",\"Hello\""));

  // The second prefix dials with it; CONNECT counts in any letter case.
  window->OnPrefixChosen(2);
  modem.Options().connect_text = "connect 19200/ARQ";
  window->StartSend();
  EXPECT_THAT(port.Written(), HasSubstr("ATDT0W00491722278020\r"));
  EXPECT_EQ(Receipt(), kDelivered);

  // Without error correction it settles 12 s and a second on the line.
  settings.Felkorrigering = "0";
  settings.FelkorrigeringOn = false;
  window->StartSend();
  EXPECT_EQ(statuses.LastAt("Sending message...") -
                statuses.LastAt("No errorcorrection. Waiting 12 seconds..."),
            13000);
  EXPECT_EQ(Receipt(), kDelivered);
}

// A failing port, modem or dial ends a send and an order alike.
TEST_F(ModemSendTest, AFailingPortModemOrDialEndsEverySendWithItsText) {
  const std::function<void()> kPaths[] = {
      [this] { window->StartSend(); },
      [this] {
        window->SetCommandLineMode(true);
        EXPECT_EQ(CommandLineSending(*window).ArgSandning("N//0701,0702//Hej"),
                  OrderOutcome::kFailed);
      }};
  settings.UppTid = "30";
  const struct {
    bool port;
    InitReply init;
    DialOutcome dial;
    const char* receipt;
    const char* timed_from;  // the status the wait starts at, "" the send
    long long wait_ms;       // -1: not timed
  } kFaults[] = {
      {false, InitReply::kOk, DialOutcome::kConnect, "The specified comport is not available", "",
       -1},
      {true, InitReply::kError, DialOutcome::kConnect, "Error in Initstring!", "", -1},
      {true, InitReply::kSilent, DialOutcome::kConnect, "No response from modem!", "", 10000},
      {true, InitReply::kOk, DialOutcome::kSilent, "Timeout.", "Dialing 00491722278020", 30000},
      {true, InitReply::kOk, DialOutcome::kNoDialtone, "No dialtone!", "", -1},
      {true, InitReply::kOk, DialOutcome::kNoCarrier, "No answer, try again later.", "", -1},
  };
  for (const auto& fault : kFaults) {
    for (size_t path = 0; path < std::size(kPaths); ++path) {
      SCOPED_TRACE(std::string(fault.receipt) + " on path " + std::to_string(path));
      port.SetAvailable(fault.port);
      modem.Options().init_reply = fault.init;
      modem.Options().outcome = fault.dial;
      const int dials = modem.DialCount();
      const size_t logged = LogLines().size();
      const long long start = loop.Elapsed().count();
      kPaths[path]();
      EXPECT_EQ(Receipt(), fault.receipt);
      EXPECT_FALSE(window->State().accepted);
      ExpectEnded();
      EXPECT_EQ(modem.DialCount(), dials + (fault.init == InitReply::kOk && fault.port));
      ASSERT_EQ(LogLines().size(), logged + 1);
      EXPECT_THAT(LogLines().back(), HasSubstr("\",\"" + std::string(fault.receipt) + "\","));
      if (fault.wait_ms < 0) continue;
      const long long from = *fault.timed_from ? statuses.LastAt(fault.timed_from) : start;
      EXPECT_EQ(receipts.LastAt(fault.receipt) - from, fault.wait_ms);
    }
  }
  EXPECT_THAT(smsc.Submits(), IsEmpty());
}

TEST_F(ModemSendTest, BusyCountsDownAndRedialsUntilCancelled) {
  modem.Options().busy_count = 2;
  window->StartSend();
  EXPECT_EQ(Receipt(), kDelivered);
  EXPECT_EQ(modem.DialCount(), 3);
  EXPECT_EQ(receipts.Count("Busy"), 2);
  const long long first = statuses.FirstAt("Dialing again in 15 seconds");
  EXPECT_EQ(statuses.FirstAt("Dialing again in 0 seconds") - first, 15000);
  EXPECT_FALSE(statuses.Saw("Dialing again in -1 seconds"));

  modem.Options().busy_count = 1000;
  const long long start = loop.Elapsed().count();
  At(15000, [this] { window->CancelSend(); });
  window->StartSend();
  EXPECT_EQ(modem.DialCount(), 4);
  ExpectEnded();
  EXPECT_EQ(loop.Elapsed().count() - start, 15000);
  EXPECT_THAT(LogLines().back(), HasSubstr("\"Sending Cancelled.\""));
}

TEST_F(ModemSendTest, ARefusalEndsTheCallAndChecksumAndSyntaxErrorsGoAgainAtMostTwice) {
  const struct {
    const char* code;
    const char* again;
    const char* last;
  } kCodes[] = {
      {"01", "Checksumerror!   Sending message again.", "Checksumerror!   Disconnecting."},
      {"02", "Syntax error!   Sending message again.", "Syntax error!  Disconnecting."},
      {"04", nullptr, "Operation not allowed!"},
      {"05", nullptr, "Call barring active!"},
      {"06", nullptr, "Wrong phonenumber"},
      {"22", nullptr, "Time period not valid!"},
      {"24", nullptr, "Message too long!"},
      {"07", nullptr, "Unknown error!"},
  };
  for (const auto& c : kCodes) {
    SCOPED_TRACE(c.code);
    const size_t submits = smsc.Submits().size();
    const int dials = modem.DialCount();
    smsc.Options().negative_codes = {c.code, c.code, c.code};
    ExpectFailed(c.last);
    ASSERT_EQ(smsc.Submits().size(), submits + (c.again ? 3 : 1));
    EXPECT_EQ(smsc.Submits()[submits], smsc.Submits().back());
    EXPECT_EQ(modem.DialCount(), dials + 1);
    if (!c.again) continue;
    EXPECT_EQ(receipts.Count(c.again), 2);
    smsc.Options().negative_codes = {c.code};
    window->StartSend();
    EXPECT_EQ(receipts.Count(c.again), 3);
    EXPECT_EQ(Receipt(), kDelivered);
  }
  smsc.Options() = {};
  smsc.Options().garbled_answer = Framed("00/00019/R/30/N//77");
  ExpectFailed("Unknown error!");

  smsc.Options() = {};
  const int beeps = dialogs.beeps();
  const size_t acknowledged = smsc.Acknowledgements().size();
  for (ChecksumFault fault : {ChecksumFault::kWrong, ChecksumFault::kLowerCase}) {
    smsc.Options().notification_checksum = fault;
    window->StartSend();
    EXPECT_EQ(Receipt(), "Incorrect receipt from operator.");
    EXPECT_EQ(smsc.Acknowledgements().size(), acknowledged);
    ExpectEnded();
  }
  EXPECT_EQ(dialogs.beeps(), beeps + 2);
}

// Only a sound answer to the submit on the line is taken, however the reads cut it.
TEST_F(ModemSendTest, OnlyASoundAnswerToTheSubmitIsTakenHoweverTheReadsCutIt) {
  const std::string positive = "00/00043/R/30/A//0701234567:061226100000/25";
  const std::vector<std::function<void(sim::SmscOptions&)>> cuts = {
      [](sim::SmscOptions& options) { options.split_reads = 7; },
      [&](sim::SmscOptions& options) {
        options.before_answer = std::string(30, '\x02') + std::string(30, '\x03') +
                                Framed(std::string(2000, '7')) + "\x02" + positive.substr(0, 25) +
                                Framed(positive.substr(3));
        options.split_reads = 9;
      }};
  for (size_t i = 0; i < cuts.size(); ++i) {
    smsc.Options() = {};
    cuts[i](smsc.Options());
    window->StartSend();
    EXPECT_EQ(Receipt(), kDelivered) << i;
    EXPECT_TRUE(window->State().accepted) << i;
    EXPECT_EQ(smsc.Acknowledgements().size(), i + 1) << i;
  }
  smsc.Options() = {};
  At(11500, [this] {
    ASSERT_EQ(statuses.Texts().back(), "Waiting...");
    smsc.Write(Framed("00/00022/R/30/N/04//04"));
  });
  window->StartSend();
  EXPECT_EQ(Receipt(), kDelivered);
  EXPECT_FALSE(receipts.Saw("Operation not allowed!"));
  EXPECT_EQ(smsc.Submits().size(), 3u);
  EXPECT_EQ(LogLines().size(), 3u);

  AskForReceipts(false);
  const std::vector<std::string> garbled = {
      Framed(positive.substr(0, 20)),
      Framed(positive.substr(0, positive.size() - 2) + "26"),
      "\x02" + positive.substr(0, 30),
  };
  const int beeps = dialogs.beeps();
  for (size_t i = 0; i < garbled.size(); ++i) {
    smsc.Options().garbled_answer = garbled[i];
    window->StartSend();
    EXPECT_EQ(Receipt(), kNoReceipt) << i;
    EXPECT_FALSE(window->State().accepted) << i;
    EXPECT_TRUE(Enabled(MainControl::kSend));
  }
  EXPECT_EQ(receipts.Count("Message sent."), 0);
  EXPECT_EQ(dialogs.beeps(), beeps);

  smsc.Options() = {};
  const size_t acknowledged = smsc.Acknowledgements().size();
  window->StartSend();
  EXPECT_EQ(Receipt(), "Message sent.");
  EXPECT_THAT(smsc.Submits().back(), HasSubstr("//0//////"));
  EXPECT_EQ(smsc.Acknowledgements().size(), acknowledged);
  EXPECT_FALSE(port.IsOpen());
}

TEST_F(ModemSendTest, NoAnswerLostCarrierOrAPulledModemEndTheWait) {
  smsc.Options().answer = false;
  window->StartSend();
  EXPECT_EQ(Receipt(), kNoReceipt);
  EXPECT_EQ(receipts.FirstAt(Receipt()) - statuses.FirstAt("Waiting for receipt..."), 82000);

  smsc.Options() = {};
  smsc.Options().drop_carrier_after_submit = true;
  window->StartSend();
  EXPECT_EQ(Receipt(), "Operator closed the connection.");

  smsc.Options() = {};
  smsc.Options().answer = false;
  At(20000, [this] { port.Unplug(); });
  window->StartSend();
  EXPECT_EQ(Receipt(), "Operator closed the connection.");
  EXPECT_EQ(receipts.LastAt(Receipt()) - statuses.LastAt("Waiting for receipt..."), 4 * 2000);
  EXPECT_TRUE(Enabled(MainControl::kSend));
}

// A double message is two frames on one call; the modem pulled out after any
// operation on the port ends the send with its text logged.
TEST_F(ModemSendTest, ADoubleMessageIsTwoFramesOnOneCallAndAVanishingPortEndsAnySend) {
  const std::string text = std::string(160, 'a') + "the rest";
  window->OnDoubleToggled(true);
  TypeMessage(*window, text);
  const int before = port.Operations();
  window->StartSend();
  const int steps = port.Operations() - before;
  EXPECT_EQ(modem.DialCount(), 1);
  ASSERT_EQ(smsc.Submits().size(), 2u);
  EXPECT_THAT(smsc.Problems(), IsEmpty());
  EXPECT_THAT(port.Written(), HasSubstr(Framed("01/00019/R/01/A//69")));
  EXPECT_THAT(LogLines(),
              ElementsAre(HasSubstr("\"" + text.substr(0, 160) + "\""), HasSubstr("\"the rest\"")));
  for (int step = 0; step < steps; ++step) {
    SCOPED_TRACE("port vanishes after operation " + std::to_string(step));
    port.SetAvailable(true);
    port.UnplugAfter(port.Operations() + step);
    const size_t logged = LogLines().size();
    window->StartSend();
    EXPECT_FALSE(Receipt().empty());
    ExpectEnded();
    const std::vector<LogRecord> log = ReadLogRecords(book.Folder());
    ASSERT_GT(log.size(), logged);
    EXPECT_EQ(log.back().result, Receipt());
  }
  port.SetAvailable(true);
  port.UnplugAfter(-1);
  window->StartSend();
  EXPECT_EQ(Receipt(), kDelivered);
  EXPECT_EQ(window->MessageText(), text);
}

// Today (of the simulated clock) at hh:mm:ss local time.
TimePoint LocalToday(int hour, int minute, int second) {
  return LocalTimeOfDay(sim::SimEventLoop::DefaultStart(), hour, minute, second);
}

std::string Day(TimePoint time) { return LocalTimeText(time, "%d%m%y"); }

TEST(TimeToSendDialogTest, StepsPagesAndTheEndsOfTheBar) {
  const TimePoint opened = LocalToday(14, 30, 0);
  std::string shown, delivery;
  TimeToSendDialog dialog(opened, [&](const std::string& label, const std::string& time) {
    shown = label;
    delivery = time;
  });
  EXPECT_EQ(dialog.Label(), ShortDateText(opened) + "  14:30");
  EXPECT_EQ(dialog.DeliveryTime(), Day(opened) + "1430");
  // A page is an hour and about three seconds.
  dialog.SetPosition(TimeToSendDialog::kLargeChange);
  EXPECT_EQ(dialog.DeliveryTime(), Day(opened) + "1530");
  dialog.SetPosition(TimeToSendDialog::kLargeChange * 24);  // 86 469 s: a day and 69 s
  EXPECT_EQ(dialog.DeliveryTime(), Day(opened + std::chrono::hours(24)) + "1431");
  // The last step lies just under seven days ahead.
  dialog.SetPosition(20000);
  EXPECT_EQ(dialog.Position(), 10068);

  dialog.SetPosition(90);  // 5404.32 seconds
  dialog.Ok();
  EXPECT_EQ(shown, ShortDateText(opened) + "  16:00");
  EXPECT_EQ(delivery, Day(opened) + "1600");

  // Confirmed unmoved, it gives the minute it shows.
  TimeToSendDialog unmoved(LocalToday(9, 5, 59),
                           [&](const std::string&, const std::string& time) { delivery = time; });
  unmoved.Ok();
  EXPECT_EQ(delivery, Day(opened) + "0905");
}

TEST_F(ModemSendTest, ADeferredFrameIsAcknowledgedWithoutANotificationUntilNone) {
  EXPECT_CALL(host, OpenTimeToSend()).WillOnce([this] {
    EXPECT_TRUE(window->Control(MainControl::kDelayTo).checked);
    EXPECT_FALSE(window->State().deferred) << "until the dialog's OK";
    window->SetDeliveryTime("2026-12-06  16:00", "0612261600");
  });
  window->OnDelayTo();
  EXPECT_TRUE(window->Control(MainControl::kDelayTo).checked);
  EXPECT_EQ(Text(MainControl::kDelayTo), "&To: 2026-12-06  16:00");

  window->StartSend();
  ASSERT_EQ(smsc.Submits().size(), 1u);
  // LEN = 2 x 5 + 38 + 11 + 11 digits.
  const std::string fields = "00/00070/O/30/46701234567/46707654321//1///1/0612261600//48656C6C6F/";
  EXPECT_EQ(smsc.Submits()[0].substr(0, fields.size()), fields);
  EXPECT_EQ(smsc.Submits()[0].size(), 70u);
  EXPECT_EQ(Receipt(), "Message sent.");

  // "N&one" ends the delay.
  window->OnDelayNone();
  EXPECT_EQ(Text(MainControl::kDelayTo), "&To...");
  window->StartSend();
  EXPECT_THAT(smsc.Submits()[1], HasSubstr("//1//////48656C6C6F/"));
}

}  // namespace
}  // namespace tolvane::testing
