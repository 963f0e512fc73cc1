// Receiving through a simulated GSM modem held open by a ListenKeeper: linked
// parts in any order, twice and across a restart, what the SIM keeps when the
// store cannot, a full SIM, a send over the held port, and the reconnects.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/listen_keeper.h"
#include "gsm/gsm_settings.h"
#include "sim/sim_gsm_modem.h"
#include "sim/sim_serial_port.h"
#include "support/scenarios.h"

namespace tolvane::testing {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using ::testing::Not;

// Two linked GSM parts of 153 and 8 characters.
const std::string kLong = std::string(153, 'a') + "bbbbbbbb";
// Three linked UCS-2 parts of 67, 67 and 2 characters ("ł" is not GSM).
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
  ~GsmReceivingScenario() override {
    keeper.Keep(nullptr);
    window.reset();
  }
  // The program starts and listens.
  void Start() {
    OpenTypedForTemporaryNumber();
    keeper.Keep(&window->ActiveTransport());
  }
  // The program ends: the port closed, the modem reset.
  void Stop() {
    keeper.Keep(nullptr);
    window.reset();
  }
  void Deliver(const std::string& text, std::vector<int> parts = {}) {
    ASSERT_TRUE(modem.Deliver({"+46701234567", text, std::move(parts), 7}));
    loop.RunFor(seconds(5));
  }
  // Each part Receive kept, as its log line: the sender, then the text.
  std::vector<std::string> Received() const {
    std::vector<std::string> texts;
    for (const LogRecord& record : ReadLogRecords(book.Folder())) {
      if (record.result == kLogReceivedResult) texts.push_back(record.message);
    }
    return texts;
  }
  std::vector<std::string> Commands(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& command : modem.Commands()) {
      if (command.starts_with(prefix)) found.push_back(command);
    }
    return found;
  }

  sim::SimGsmModem modem{Schedule(loop)};
  sim::SimSerialPort port{loop, modem};
  std::vector<std::string> shown;
  ListenKeeper keeper{loop, [this](const std::string& text) { shown.push_back(text); },
                      [this] { return window->State().sending; }};
};

TEST_F(GsmReceivingScenario, LinkedPartsInAnyOrderOrTwiceAreEachHandedOverAndDeleted) {
  EXPECT_THAT(modem.Commands(), Contains("AT+CNMI=2,1,0,1,0"));
  EXPECT_EQ(shown, std::vector<std::string>{"Receiving: connected"});
  struct Case {
    std::vector<int> parts;
    std::vector<std::string> texts;
  };
  const std::string a(153, 'a');
  const Case cases[] = {
      {{}, {a, "bbbbbbbb"}},
      {{2, 1}, {"bbbbbbbb", a}},
      {{1, 1, 2}, {a, a, "bbbbbbbb"}},
  };
  for (const Case& c : cases) {
    const size_t before = Received().size();
    const size_t deleted = Commands("AT+CMGD=").size();
    Deliver(kLong, c.parts);
    const std::vector<std::string> received = Received();
    EXPECT_THAT(std::vector(received.begin() + before, received.end()), ElementsAreArray(c.texts));
    EXPECT_EQ(Commands("AT+CMGD=").size(), deleted + c.texts.size());
    EXPECT_THAT(modem.Stored(), IsEmpty());
  }
  // Three parts in UCS-2, with the sender's reference each time.
  Deliver(kThreeParts, {3, 2, 1});
  EXPECT_THAT(Received(), Contains("zł"));
  EXPECT_TRUE(port.IsOpen());
}

TEST_F(GsmReceivingScenario, WhatTheStoreCannotKeepStaysOnTheSimAndIsReadAtTheNextStart) {
  Deliver(kLong, {1});
  window->Messages().Use(nullptr);
  Deliver("Hej!");
  // Kept: deleted; not kept: left where it is.
  EXPECT_EQ(Received(), std::vector<std::string>{std::string(153, 'a')});
  EXPECT_EQ(Commands("AT+CMGD=").size(), 1u);
  ASSERT_EQ(modem.Stored().size(), 1u);

  // The rest of the long message comes while the program is away, and both
  // are read when it starts again.
  Stop();
  ASSERT_TRUE(modem.Deliver({"+46701234567", kLong, {2}, 7}));
  EXPECT_EQ(modem.Stored().size(), 2u);
  Start();
  loop.RunFor(seconds(5));
  EXPECT_EQ(Commands("AT+CMGL"), std::vector<std::string>(2, "AT+CMGL=4"));
  EXPECT_EQ(Received(), (std::vector<std::string>{std::string(153, 'a'), "Hej!", "bbbbbbbb"}));
  EXPECT_EQ(Commands("AT+CMGD=").size(), 3u);
  EXPECT_THAT(modem.Stored(), IsEmpty());
}

TEST_F(GsmReceivingScenario, AFullSimIsShownAndReadingGoesOnUntilItHasRoom) {
  keeper.Keep(nullptr);
  modem.Options().sim_capacity = 2;
  // Three parts while the program is away: the third waits at the network.
  ASSERT_TRUE(modem.Deliver({"+46701234567", kThreeParts, {}, 9}));
  EXPECT_EQ(modem.Waiting(), 1u);
  window->Messages().Use(nullptr);
  keeper.Keep(&window->ActiveTransport());
  loop.RunFor(seconds(5));
  EXPECT_EQ(Text(MainControl::kStatusLine),
            "Receiving: the SIM is full, new messages wait at the SMS centre");
  EXPECT_THAT(Commands("AT+CMGD="), IsEmpty());

  // The store takes them again: read, deleted, and the third comes.
  window->Messages().Use(&messages);
  keeper.Keep(nullptr);
  keeper.Keep(&window->ActiveTransport());
  loop.RunFor(seconds(10));
  EXPECT_EQ(Received(),
            (std::vector<std::string>{std::string(67, 'x'), std::string(67, 'y'), "zł"}));
  EXPECT_EQ(Text(MainControl::kStatusLine), "Receiving: the SIM has room again");
  EXPECT_EQ(modem.Waiting(), 0u);
  EXPECT_THAT(modem.Stored(), IsEmpty());
}

TEST_F(GsmReceivingScenario, AMessageDuringASendIsReadAfterItsWaitAndTheSendKeepsThePort) {
  const int opened = port.OpenCount();
  At(3000, [this] { ASSERT_TRUE(modem.Deliver({"+46709999999", "Svar", {}, -1})); });
  window->StartSend();
  EXPECT_EQ(Receipt(), "Message delivered.");
  loop.RunFor(seconds(1));
  EXPECT_THAT(Received(), ElementsAre("Svar"));
  // Read after the report the send waited for (5 s), over the same port.
  const std::vector<std::string>& commands = modem.Commands();
  const auto read = std::find(commands.begin(), commands.end(), "AT+CMGR=1");
  ASSERT_NE(read, commands.end());
  EXPECT_GT(read, std::find(commands.begin(), commands.end(), "AT+CNMA"));
  EXPECT_EQ(port.OpenCount(), opened);
  EXPECT_TRUE(port.IsOpen());
}

TEST_F(GsmReceivingScenario, ASendStartedWhileTheModemIsSetUpForReceivingSetsItUpItself) {
  keeper.Keep(nullptr);
  const int opened = port.OpenCount();
  // The send starts inside the set-up's wait for an answer.
  At(50, [this] { window->StartSend(); });
  keeper.Keep(&window->ActiveTransport());
  EXPECT_EQ(Receipt(), "Message delivered.");
  loop.RunFor(seconds(2));
  EXPECT_EQ(shown.back(), "Receiving: connected");
  EXPECT_EQ(port.OpenCount(), opened + 1);
  EXPECT_EQ(Commands("AT+CMGS=").size(), 1u);
  Deliver("Tack");
  EXPECT_THAT(Received(), ElementsAre("Tack"));
}

TEST_F(GsmReceivingScenario, AModemThatGoesAwayIsOpenedAgainAfterGrowingPauses) {
  port.Unplug();
  // 1 s, 2 s, 4 s, 8 s between the attempts while the device is missing.
  loop.RunFor(seconds(15) + milliseconds(500));
  EXPECT_THAT(shown,
              ElementsAre("Receiving: connected", "Receiving: reconnecting in 1 s",
                          "Receiving: reconnecting in 2 s", "Receiving: reconnecting in 1 s",
                          "Receiving: reconnecting in 4 s", "Receiving: reconnecting in 3 s",
                          "Receiving: reconnecting in 2 s", "Receiving: reconnecting in 1 s",
                          "Receiving: reconnecting in 8 s", "Receiving: reconnecting in 7 s",
                          "Receiving: reconnecting in 6 s", "Receiving: reconnecting in 5 s",
                          "Receiving: reconnecting in 4 s", "Receiving: reconnecting in 3 s",
                          "Receiving: reconnecting in 2 s", "Receiving: reconnecting in 1 s"));
  // Back, with a SIM that wants its PIN and none stored: refused, the port
  // closed again, the next pause 16 s.
  port.SetAvailable(true);
  modem.Options().sim_state = sim::GsmModemOptions::SimState::kPinWanted;
  ASSERT_TRUE(modem.Deliver({"+46701234567", "Är du där?", {}, -1}));
  loop.RunFor(seconds(1));
  EXPECT_EQ(keeper.PauseSeconds(), 16);
  EXPECT_FALSE(port.IsOpen());
  // Ready again: the next attempt opens it and reads what came meanwhile.
  modem.Options().sim_state = sim::GsmModemOptions::SimState::kReady;
  loop.RunFor(seconds(15));
  EXPECT_THAT(Received(), IsEmpty());
  loop.RunFor(seconds(2));
  EXPECT_EQ(shown.back(), "Receiving: connected");
  EXPECT_THAT(Received(), ElementsAre("Är du där?"));
}

}  // namespace
}  // namespace tolvane::testing
