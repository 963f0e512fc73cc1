// Receiving through a simulated GSM modem held open by a ListenKeeper: linked
// parts in any order, twice and across a restart, what the SIM keeps when the
// store cannot, a full SIM, sends over the held port, and the reconnects.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/listen_keeper.h"
#include "gsm/gsm_settings.h"
#include "sim/sim_gsm_modem.h"
#include "sim/sim_serial_port.h"
#include "support/scenarios.h"

namespace tolvane::testing {
namespace {

using std::chrono::seconds;
using ::testing::IsEmpty;
using Texts = std::vector<std::string>;

const std::string kA(153, 'a');
// Two linked GSM parts, and three linked UCS-2 parts ("ł" is not GSM).
const std::string kLong = kA + "bbbbbbbb";
const std::string kThreeParts = std::string(67, 'x') + std::string(67, 'y') + "zł";

class GsmReceivingScenario : public WindowScenario {
 protected:
  GsmReceivingScenario() {
    settings.AccessTyp = "GSM";
    settings.transports.Get<GsmSettings>().Device = "/dev/ttyUSB2";
    gsm_port = &port;
    modem.SetClock([this] { return loop.Elapsed().count(); });
    Start();
  }
  ~GsmReceivingScenario() override { Stop(); }
  // The program starts and listens; it ends with the port closed.
  void Start() {
    OpenTypedForTemporaryNumber();
    keeper.Keep(&window->ActiveTransport());
  }
  void Stop() {
    keeper.Keep(nullptr);
    window.reset();
  }
  void Deliver(const std::string& text, std::vector<int> parts = {}, int reference = 7) {
    ASSERT_TRUE(modem.Deliver({"+46701234567", text, std::move(parts), reference}));
    loop.RunFor(seconds(5));
  }
  // The text of each whole message kept, from its log line.
  Texts Received() const {
    Texts texts;
    for (const LogRecord& record : ReadLogRecords(book.Folder())) {
      if (record.result == kLogReceivedResult) texts.push_back(record.message);
    }
    return texts;
  }
  size_t Count(const std::string& command) const {
    return std::ranges::count_if(modem.Commands(),
                                 [&](const std::string& c) { return c.starts_with(command); });
  }

  sim::SimGsmModem modem{Schedule(loop)};
  sim::SimSerialPort port{loop, modem};
  Texts shown;
  ListenKeeper keeper{loop, [this](const std::string& text) { shown.push_back(text); },
                      [this] { return window->State().sending; }};
};

TEST_F(GsmReceivingScenario, LinkedPartsInAnyOrderOrTwiceAreEachHandedOverAndDeleted) {
  EXPECT_EQ(Count("AT+CNMI=2,1,0,1,0"), 1u);
  EXPECT_EQ(shown, Texts{"Receiving: connected"});
  // Each part delivered is deleted once handed over; the message is whole once.
  for (const std::vector<int>& parts : {std::vector<int>{}, {2, 1}, {1, 1, 2}}) {
    const size_t before = Received().size();
    const size_t deleted = Count("AT+CMGD=");
    Deliver(kLong, parts, 7 + static_cast<int>(parts.size()));
    const Texts received = Received();
    EXPECT_EQ(Texts(received.begin() + before, received.end()), Texts{kLong});
    EXPECT_EQ(Count("AT+CMGD="), deleted + std::max<size_t>(parts.size(), 2));
    EXPECT_THAT(modem.Stored(), IsEmpty());
  }
  Deliver(kThreeParts, {3, 2, 1});
  EXPECT_EQ(Received().back(), kThreeParts);
}

TEST_F(GsmReceivingScenario, WhatTheStoreCannotKeepStaysOnTheSimAndIsReadAtTheNextStart) {
  Deliver(kLong, {1});
  window->SetInbox(nullptr);  // nothing can be kept
  Deliver("Hej!");
  EXPECT_THAT(Received(), IsEmpty());
  EXPECT_EQ(Count("AT+CMGD="), 1u);
  EXPECT_EQ(modem.Stored().size(), 1u);
  // The rest of the long message comes while the program is away; both are
  // read when it starts again.
  Stop();
  ASSERT_TRUE(modem.Deliver({"+46701234567", kLong, {2}, 7}));
  Start();
  loop.RunFor(seconds(5));
  EXPECT_EQ(Count("AT+CMGL=4"), 2u);
  EXPECT_EQ(Received(), (Texts{"Hej!", kLong}));
  EXPECT_THAT(modem.Stored(), IsEmpty());
}

TEST_F(GsmReceivingScenario, AFullSimIsShownAndReadingGoesOnUntilItHasRoom) {
  Stop();
  modem.Options().sim_capacity = 2;
  // Three parts while the program is away: the third waits at the network.
  ASSERT_TRUE(modem.Deliver({"+46701234567", kThreeParts, {}, 9}));
  EXPECT_EQ(modem.Waiting(), 1u);
  Start();
  loop.RunFor(seconds(1));
  EXPECT_EQ(Count("AT+CMGD="), 2u);
  loop.RunFor(seconds(3));
  EXPECT_THAT(
      history.status.Texts(),
      ::testing::Contains("Receiving: the SIM is full, new messages wait at the SMS centre"));
  EXPECT_EQ(Received(), Texts{kThreeParts});
  EXPECT_EQ(Text(MainControl::kStatusLine), "Receiving: the SIM has room again");
  EXPECT_THAT(modem.Stored(), IsEmpty());
  // The modem saying so on its own.
  modem.Unsolicited("\r\n+CMS ERROR: 322\r\n");
  loop.RunFor(seconds(1));
  EXPECT_EQ(Text(MainControl::kStatusLine),
            "Receiving: the SIM is full, new messages wait at the SMS centre");
  // Full while the store cannot keep: shown, nothing deleted.
  window->SetInbox(nullptr);
  Deliver("1");
  Deliver("2");
  EXPECT_EQ(Text(MainControl::kStatusLine),
            "Receiving: the SIM is full, new messages wait at the SMS centre");
  EXPECT_EQ(modem.Stored().size(), 2u);
}

TEST_F(GsmReceivingScenario, SendsUseTheHeldPortAndWhatCameMeanwhileIsReadAfterTheirWait) {
  const int opened = port.OpenCount();
  At(3000, [this] { ASSERT_TRUE(modem.Deliver({"+46709999999", "Svar", {}, -1})); });
  window->StartSend();
  EXPECT_EQ(Receipt(), "Message delivered.");
  loop.RunFor(seconds(1));
  EXPECT_EQ(Received(), Texts{"Svar"});
  // Read after the report the send waited for (5 s), over the same port.
  const Texts& commands = modem.Commands();
  EXPECT_GT(std::ranges::find(commands, "AT+CMGR=1"), std::ranges::find(commands, "AT+CNMA"));
  EXPECT_EQ(port.OpenCount(), opened);
  // A send that starts while a message is read lets the reading finish.
  ASSERT_TRUE(modem.Deliver({"+46709999999", "Igen", {}, -1}));
  At(5, [this] { window->StartSend(); });
  loop.RunFor(seconds(10));
  EXPECT_EQ(Receipt(), "Message delivered.");
  EXPECT_EQ(Received(), (Texts{"Svar", "Igen"}));
  EXPECT_THAT(modem.Stored(), IsEmpty());
  EXPECT_EQ(modem.Submissions().size(), 2u);
  EXPECT_EQ(Count("AT+CMGS="), 2u);
  EXPECT_EQ(Count("AT+CMGD="), 2u);

  // A send that starts inside the set-up for receiving sets the modem up
  // itself, and receiving goes on.
  Stop();
  OpenTypedForTemporaryNumber();
  At(50, [this] { window->StartSend(); });
  keeper.Keep(&window->ActiveTransport());
  EXPECT_EQ(Receipt(), "Message delivered.");
  loop.RunFor(seconds(2));
  EXPECT_EQ(shown.back(), "Receiving: connected");
  EXPECT_EQ(port.OpenCount(), opened + 1);
  Deliver("Tack");
  EXPECT_EQ(Received().back(), "Tack");
  // A report after the send's wait is acknowledged, so routing stays on.
  modem.Options().report_statuses = {0x00, 0x00};
  window->StartSend();
  loop.RunFor(seconds(5));
  EXPECT_GE(modem.Reports().back().acknowledged_ms, 0);
  EXPECT_EQ(modem.ReportMode(), 1);
}

TEST_F(GsmReceivingScenario, AModemThatGoesAwayIsOpenedAgainAfterGrowingPauses) {
  port.Unplug();
  loop.RunFor(seconds(15) + std::chrono::milliseconds(500));
  // 1 s, 2 s, 4 s, 8 s between the attempts while the device is missing.
  Texts expected = {"Receiving: connected"};
  for (int pause : {1, 2, 4, 8}) {
    for (int left = pause; left > 0; --left) {
      expected.push_back("Receiving: reconnecting in " + std::to_string(left) + " s");
    }
  }
  EXPECT_EQ(shown, expected);
  // Back, with a SIM that wants its PIN and none stored: refused, the port
  // closed again, the next pause 16 s.
  port.SetAvailable(true);
  modem.Options().sim_state = sim::GsmModemOptions::SimState::kPinWanted;
  ASSERT_TRUE(modem.Deliver({"+46701234567", "Är du där?", {}, -1}));
  loop.RunFor(seconds(1));
  EXPECT_EQ(keeper.PauseSeconds(), 16);
  EXPECT_FALSE(port.IsOpen());
  // Ready again: the attempt at 16 s opens it and reads what came meanwhile.
  modem.Options().sim_state = sim::GsmModemOptions::SimState::kReady;
  loop.RunFor(seconds(15));
  EXPECT_THAT(Received(), IsEmpty());
  loop.RunFor(seconds(1));
  EXPECT_EQ(shown.back(), "Receiving: connected");
  EXPECT_EQ(Received(), Texts{"Är du där?"});
}

}  // namespace
}  // namespace tolvane::testing
