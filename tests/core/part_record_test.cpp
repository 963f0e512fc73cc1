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

using ::testing::ElementsAreArray;
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

  // The parts of the last message, "state ref: detail" each, the detail of
  // a part that failed to go only.
  std::vector<std::string> LastParts() const {
    std::vector<std::string> parts;
    const std::optional<StoredMessage> message = messages.Message(messages.MessageCount());
    for (const StoredPart& part : message->parts) {
      std::string text(StateName(part.state));
      if (!part.ref.empty()) text += " " + part.ref;
      if (part.state == MessageState::kRefused || part.state == MessageState::kUnknown) {
        text += ": " + part.detail;
      }
      parts.push_back(text);
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
  const std::string sm = number + ":061226100000";
  const std::string double_text = std::string(160, 'a') + "the rest";
  const struct {
    const char* access;
    std::function<void()> arrange;
    std::string text;
    std::vector<std::string> parts;
  } cases[] = {
      {"GSM", [] {}, "Hej", {"delivered 1"}},
      {"GSM", [&] { gsm_.Options().report_statuses = {0x46}; }, "Hej", {"expired 2"}},
      {"GSM",
       [&] {
         gsm_.Options().report_statuses = {0x00};
         gsm_.Options().submit_errors = {"304"};
       },
       "Hej",
       {"refused: Not sent: invalid PDU (+CMS ERROR: 304)"}},
      {"GSM",
       [&] { gsm_.Options().submit_errors = {"332"}; },
       "Hej",
       {"unknown: Unknown: no answer from the network (+CMS ERROR: 332)"}},
      {"GSM",
       [&] { gsm_.Options().network_delay_ms = 70000; },
       "Hej",
       {"unknown: Unknown: the connection broke before the answer came"}},
      // Two linked parts, each with its own reference and report.
      {"GSM",
       [&] { gsm_.Options().network_delay_ms = 2000; },
       std::string(170, 'g'),
       {"delivered 3", "delivered 4"}},
      {"Modem", [] {}, "Hej", {"delivered " + sm}},
      {"Modem",
       [&] { smsc_.Options().negative_codes = {"06"}; },
       "Hej",
       {"refused: Wrong phonenumber"}},
      {"Modem",
       [&] { smsc_.Options().answer = false; },
       "Hej",
       {"unknown: The operator didn´t send a receipt."}},
      // A double message is one message of two parts.
      {"Modem",
       [&] { smsc_.Options().answer = true; },
       double_text,
       {"delivered " + sm, "delivered " + sm}},
      {"TCP", [] {}, "Hej", {"accepted 200"}},
      {"TCP",
       [&] { gateway_.SetAnswer(number, sim::GatewayAnswer::Status(450)); },
       "Hej",
       {"refused: Unknown subscriber or not a valid phone number"}},
      {"TCP",
       [&] { gateway_.SetAnswer(number, sim::GatewayAnswer::Status(299)); },
       "Hej",
       {"unknown: Unknown status"}},
      {"TCP",
       [&] { gateway_.SetAnswer(number, sim::GatewayAnswer::Silent()); },
       "Hej",
       {"unknown: The operator didn´t send a receipt."}},
      {"TCP",
       [&] { gateway_.SetAnswer(number, sim::GatewayAnswer::Status(202)); },
       double_text,
       {"accepted 202", "accepted 202"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.access) + " " + c.parts.front());
    settings.AccessTyp = c.access;
    c.arrange();
    window->OnDoubleToggled(c.text == double_text);
    TypeMessage(*window, c.text);
    window->StartSend();
    EXPECT_THAT(LastParts(), ElementsAreArray(c.parts));
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
