// What the transports with one submit on the way at a time (the GSM modem,
// the dial-up modem, the HTTP gateway) leave in the message store: each
// part's state and the reference its answer gave, for a message accepted,
// refused or left without an answer; and that a store which cannot record a
// part keeps it off the wire.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "gsm/gsm_settings.h"
#include "sim/sim_gsm_modem.h"
#include "support/scenarios.h"

namespace tolvane::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

constexpr char kNoStore[] = "The message store is not open.";

// "Hej" typed for the temporary number +46 70-123 45 67; the modem, the GSM
// modem and the gateway reaching their simulators.
class PartRecordScenario : public WindowScenario {
 protected:
  PartRecordScenario() {
    settings.Avs = "+46 70-765 43 21";
    settings.transports.Get<GsmSettings>().Device = "/dev/ttyUSB2";
    gsm_port = &gsm_port_;
    gsm_.SetClock([this] { return loop.Elapsed().count(); });
    Open(modem_port_, client_);
    window->ConfigureTransports();
    window->OnTemporaryNumberToggled(true);
    window->OnNumberEdited("+46 70-123 45 67");
  }
  ~PartRecordScenario() override { window.reset(); }

  // The parts of the last message, "state ref: detail" each (the detail of
  // a part that failed to go only), " | " between them.
  std::string LastParts() const {
    std::string parts;
    const std::optional<StoredMessage> message = messages.Message(messages.MessageCount());
    for (const StoredPart& part : message->parts) {
      if (!parts.empty()) parts += " | ";
      parts += StateName(part.state);
      if (!part.ref.empty()) parts += " " + part.ref;
      if (part.state == MessageState::kRefused || part.state == MessageState::kUnknown) {
        parts += ": " + part.detail;
      }
    }
    return parts;
  }
  // Everything each far end got so far: submits, frames, posts.
  size_t WireCount() const {
    return gsm_.Submissions().size() + smsc_.Submits().size() + gateway_.Requests().size() +
           (gsm_port_.Written().find("AT+CMGS") != std::string::npos);
  }

  sim::SimSmsc smsc_{Schedule(loop)};
  sim::SimModem modem_{Schedule(loop), smsc_};
  sim::SimSerialPort modem_port_{loop, modem_};
  sim::SimGsmModem gsm_{Schedule(loop)};
  sim::SimSerialPort gsm_port_{loop, gsm_};
  sim::SimGateway gateway_;
  sim::SimHttpClient client_{loop, gateway_};
};

TEST_F(PartRecordScenario, EachPartEndsWithItsStateAndReference) {
  const std::string number = "46701234567";
  const std::string sm = " " + number + ":061226100000";
  sim::GsmModemOptions& gsm = gsm_.Options();
  sim::SmscOptions& smsc = smsc_.Options();
  auto gateway = [&](sim::GatewayAnswer answer) { gateway_.SetAnswer(number, answer); };
  // A long text goes as two linked parts, or as a double message of two
  // parts; the parts' states, with " | " between them.
  const struct {
    const char* access;
    bool long_text;
    std::string parts;
    std::function<void()> arrange;
  } cases[] = {
      {"GSM", false, "delivered 1", [] {}},
      {"GSM", false, "expired 2", [&] { gsm.report_statuses = {0x46}; }},
      {"GSM", false, "refused: Not sent: invalid PDU (+CMS ERROR: 304)",
       [&] { gsm.report_statuses = {0x00}, gsm.submit_errors = {"304"}; }},
      {"GSM", false, "unknown: Unknown: no answer from the network (+CMS ERROR: 332)",
       [&] { gsm.submit_errors = {"332"}; }},
      {"GSM", false, "unknown: Unknown: the connection broke before the answer came",
       [&] { gsm.network_delay_ms = 70000; }},
      {"GSM", true, "delivered 3 | delivered 4", [&] { gsm.network_delay_ms = 2000; }},
      {"Modem", false, "delivered" + sm, [] {}},
      {"Modem", false, "refused: Wrong phonenumber", [&] { smsc.negative_codes = {"06"}; }},
      {"Modem", false, "unknown: The operator didn´t send a receipt.",
       [&] { smsc.answer = false; }},
      {"Modem", true, "delivered" + sm + " | delivered" + sm, [&] { smsc.answer = true; }},
      {"TCP", false, "accepted 200", [] {}},
      {"TCP", false, "refused: Unknown subscriber or not a valid phone number",
       [&] { gateway(sim::GatewayAnswer::Status(450)); }},
      {"TCP", false, "unknown: Unknown status", [&] { gateway(sim::GatewayAnswer::Status(299)); }},
      {"TCP", false, "unknown: The operator didn´t send a receipt.",
       [&] { gateway(sim::GatewayAnswer::Silent()); }},
      {"TCP", true, "accepted 202 | accepted 202",
       [&] { gateway(sim::GatewayAnswer::Status(202)); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.access) + " " + c.parts);
    settings.AccessTyp = c.access;
    c.arrange();
    window->OnDoubleToggled(c.long_text);
    TypeMessage(*window, c.long_text ? std::string(160, 'a') + "the rest" : "Hej");
    window->StartSend();
    EXPECT_EQ(LastParts(), c.parts);
  }
}

TEST_F(PartRecordScenario, APartTheStoreCannotRecordNeverReachesTheFarEnd) {
  for (const char* access : {"GSM", "Modem", "TCP"}) {
    SCOPED_TRACE(access);
    settings.AccessTyp = access;
    TypeMessage(*window, "Hej");
    const size_t before = WireCount();
    // The store goes away once the message is queued.
    At(1, [&] { window->Messages().Use(nullptr); });
    window->StartSend();
    EXPECT_EQ(Receipt(), kNoStore);
    EXPECT_EQ(WireCount(), before);
    EXPECT_THAT(LogLines().back(), HasSubstr(kNoStore));
    EXPECT_TRUE(Enabled(MainControl::kSend));
    window->Messages().Use(&messages);
  }
  EXPECT_THAT(gsm_port_.Written(), Not(HasSubstr("AT+CMGS")));
}

}  // namespace
}  // namespace tolvane::testing
