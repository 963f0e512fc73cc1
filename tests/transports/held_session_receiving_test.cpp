// Receiving over the session SMPP and UCP/EMI hold while the program runs,
// kept by a ListenKeeper on virtual time: a message answered only once the
// store kept it (and refused when it could not), sends over the held
// session, a receipt between sends, a send that starts while the session is
// being opened, and the session broken by the far end and opened again.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

#include "core/listen_keeper.h"
#include "core/receipt_texts.h"
#include "core/secret_store.h"
#include "emi/emi_settings.h"
#include "sim/sim_emi_centre.h"
#include "sim/sim_smpp_provider.h"
#include "sim/sim_tcp_connection.h"
#include "smpp/smpp_settings.h"
#include "support/faulty_sqlite_vfs.h"
#include "support/scenarios.h"

namespace tolvane::testing {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using ::testing::AnyOf;
using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

// A simulator whose side of the connection the test can end; it notes when
// each connection was asked for.
class FarEnd : public sim::TcpPeer {
 public:
  FarEnd(sim::TcpPeer& peer, sim::SimEventLoop& loop) : peer_(peer), loop_(loop) {}
  void SetToClient(std::function<void(const std::string&)> to) override {
    peer_.SetToClient(std::move(to));
  }
  void SetDropClient(std::function<void()> drop) override {
    drop_ = drop;
    peer_.SetDropClient(std::move(drop));
  }
  bool Accept() override {
    asked.push_back(loop_.Now());
    return peer_.Accept();
  }
  void FromClient(const std::string& bytes) override { peer_.FromClient(bytes); }
  void ClientClosed() override { peer_.ClientClosed(); }
  void Drop() {
    drop_();
    peer_.ClientClosed();
  }
  std::vector<TimePoint> asked;

 private:
  sim::TcpPeer& peer_;
  sim::SimEventLoop& loop_;
  std::function<void()> drop_;
};

struct Protocol {
  const char* access;
  // The negative answer to a message the store could not keep.
  const char* refusal;
};

class ReceivingScenario : public WindowScenario, public ::testing::WithParamInterface<Protocol> {
 protected:
  ReceivingScenario() {
    settings.AccessTyp = GetParam().access;
    settings.Avs = "Tolvane";
    settings.transports.Get<SmppSettings>().Host = "smpp.example.net";
    settings.transports.Get<SmppSettings>().SystemId = "tolvane";
    settings.transports.Get<EmiSettings>().Host = "smsc.example.net";
    settings.transports.Get<EmiSettings>().User = "tolvane";
    SecretStore secrets(settings.ProgramFolder);
    EXPECT_TRUE(secrets.WriteSecret(kSmppSecret, "secret"));
    EXPECT_TRUE(secrets.WriteSecret(kEmiSecret, "secret"));
    smpp_connection = &smpp_tcp_;
    emi_connection = &emi_tcp_;
    Open(serial, http, &store_);
    window->ConfigureTransports();
    window->OnTemporaryNumberToggled(true);
    window->OnNumberEdited("+46 70-123 45 67");
  }
  ~ReceivingScenario() override {
    keeper_.Keep(nullptr);
    receiving.reset();
    window.reset();
  }

  bool Smpp() const { return settings.AccessTyp == "SMPP"; }
  FarEnd& Far() { return Smpp() ? smpp_far_ : emi_far_; }
  void Listen() {
    start_ = loop.Now();
    keeper_.Keep(&window->ActiveTransport());
  }
  bool Listening() { return window->ActiveTransport().Listening(); }
  // Milliseconds from Listen() to each connection asked for.
  std::vector<long long> Asked() {
    std::vector<long long> at;
    for (TimePoint t : Far().asked) at.push_back((t - start_) / milliseconds(1));
    return at;
  }
  int Logins() const {
    return Smpp() ? static_cast<int>(provider_.Binds().size()) : centre_.Logins();
  }
  void RefuseLogins(bool refuse) {
    provider_.Options().bind_refusal = refuse ? 0x0E : 0;
    centre_.Options().login_refusal = refuse ? "07" : "";
  }
  void AnswerLoginsAfter(int ms) {
    provider_.Options().answer_delay_ms = centre_.Options().answer_delay_ms = ms;
  }

  // "Hej" and the like from +46 70 123 45 67, as the simulator delivers it.
  void Deliver(const std::string& text) {
    std::string refusal;
    EXPECT_TRUE(Smpp() ? provider_.Deliver({"+46701234567", text}, refusal)
                       : centre_.Deliver({"+46701234567", text}, refusal))
        << refusal;
    loop.RunFor(seconds(1));
  }
  // The answers to the delivered messages: "A", or the refusal.
  std::vector<std::string> Answers() const {
    std::vector<std::string> answers;
    if (Smpp()) {
      for (const SmppPdu& pdu : provider_.Received()) {
        if (pdu.command != (kDeliverSm | kResponseBit)) continue;
        std::ostringstream status;
        status << "N/" << std::hex << pdu.status;
        answers.push_back(pdu.status == 0 ? "A" : status.str());
      }
    } else {
      for (const std::string& frame : centre_.Received()) {
        if (frame.substr(9, 5) != "R/52/") continue;
        answers.push_back(frame[14] == 'A' ? "A" : frame.substr(14, 4));
      }
    }
    return answers;
  }
  // The received messages in the store: sender and text.
  std::vector<std::string> Kept() {
    vfs_.FillAfter(-1);
    std::vector<std::string> kept;
    for (std::int64_t id = 1; id <= store_.MessageCount(); ++id) {
      const std::optional<StoredMessage> message = store_.Message(id);
      if (message->incoming) kept.push_back(message->number_typed + " " + message->text);
    }
    return kept;
  }

  const std::string path_ = book.Folder() + "messages.db";
  FaultySqliteVfs vfs_{path_};
  MessageStore store_{path_};
  sim::SimSmppProvider provider_{Schedule(loop)};
  sim::SimEmiCentre centre_{Schedule(loop)};
  FarEnd smpp_far_{provider_, loop};
  FarEnd emi_far_{centre_, loop};
  sim::SimTcpConnection smpp_tcp_{loop, smpp_far_};
  sim::SimTcpConnection emi_tcp_{loop, emi_far_};
  std::vector<std::string> shown_;
  ListenKeeper keeper_{loop, [this](const std::string& text) { shown_.push_back(text); },
                       [this] { return window->State().sending; }};
  TimePoint start_;
};

INSTANTIATE_TEST_SUITE_P(BothTransports, ReceivingScenario,
                         ::testing::Values(Protocol{"SMPP", "N/64"}, Protocol{"EMI", "N/04"}),
                         [](const auto& info) { return std::string(info.param.access); });

TEST_P(ReceivingScenario, AMessageIsAnsweredOnlyOnceTheStoreKeptIt) {
  Listen();
  EXPECT_THAT(shown_, ElementsAre("Receiving: connected"));
  Deliver("Hej");
  EXPECT_THAT(Answers(), ElementsAre("A"));
  EXPECT_THAT(LogLines(), ElementsAre("\"+46701234567\",\"Received\",\"Hej\""));

  // A store that cannot keep it refuses it, and the network delivers it again
  // after the next login: here the one after the settings changed.
  vfs_.FillAfter(0);
  Deliver("Igen");
  EXPECT_THAT(Answers(), ElementsAre("A", GetParam().refusal));
  vfs_.FillAfter(-1);
  EXPECT_EQ(Logins(), 1);
  settings.transports.Get<SmppSettings>().SystemId = "tolvane2";
  settings.transports.Get<EmiSettings>().User = "tolvane2";
  provider_.Options().system_id = centre_.Options().user = "tolvane2";
  window->ConfigureTransports();
  EXPECT_FALSE(Listening());
  loop.RunFor(seconds(3));
  EXPECT_THAT(Answers(), ElementsAre("A", GetParam().refusal, "A"));
  EXPECT_THAT(Kept(), ElementsAre("+46701234567 Hej", "+46701234567 Igen"));
  EXPECT_EQ(LogLines().size(), 2u);
  EXPECT_EQ(Logins(), 2);
  EXPECT_EQ(provider_.Unbinds(), Smpp() ? 1 : 0);
  EXPECT_EQ(Far().asked.size(), 2u);
  EXPECT_TRUE(Listening());
  EXPECT_EQ(Receipt(), "");
}

TEST_P(ReceivingScenario, SendsGoOverTheHeldSessionAndLeaveItUpForReceiptsBetweenThem) {
  Listen();
  // The first receipt comes after the send stopped waiting for it.
  provider_.Options().receipt_delay_ms = centre_.Options().notification_delay_ms = 100000;
  Send("Hej");
  EXPECT_EQ(Receipt(), kReceiptNoReport);
  provider_.Options().receipt_delay_ms = centre_.Options().notification_delay_ms = 2000;
  Send("Hej igen");
  EXPECT_EQ(Receipt(), "Message delivered.");
  EXPECT_EQ(Far().asked.size(), 1u);
  EXPECT_EQ(Logins(), 1);
  EXPECT_EQ(provider_.Unbinds(), 0);
  EXPECT_FALSE(statuses.Saw("Logging out of the SMPP provider..."));
  EXPECT_FALSE(statuses.Saw("Closing the connection to the SMS centre..."));
  EXPECT_TRUE(Listening());
  EXPECT_TRUE(Enabled(MainControl::kSend));

  // The late receipt reaches the store between sends, over the same session.
  loop.RunFor(seconds(30));
  EXPECT_EQ(store_.Message(1)->parts.at(0).state, MessageState::kDelivered);
  EXPECT_EQ(store_.Message(2)->parts.at(0).state, MessageState::kDelivered);
  EXPECT_EQ(Logins(), 1);
}

TEST_P(ReceivingScenario, ASendThatStartsWhileListenLogsInWaitsForThatLogin) {
  AnswerLoginsAfter(5000);
  At(1000, [this] { Send("Hej"); });
  Listen();
  EXPECT_EQ(Receipt(), "Message delivered.");
  EXPECT_THAT(shown_, ElementsAre("Receiving: connected"));
  EXPECT_EQ(Far().asked.size(), 1u);
  EXPECT_EQ(Logins(), 1);
  EXPECT_TRUE(Listening());

  // A login refused while the send waited is its answer too.
  RefuseLogins(true);
  Far().Drop();
  At(3000, [this] { Send("Igen"); });
  // Until just after the refusal, before the keeper's next attempt.
  loop.RunFor(seconds(7));
  EXPECT_THAT(Receipt(), StartsWith("Login refused: "));
  EXPECT_EQ(Logins(), 2);
}

TEST_P(ReceivingScenario, ABrokenSessionIsOpenedAgainAfterGrowingPauses) {
  Listen();
  loop.RunFor(milliseconds(10500));
  // Two connections refused, then a login refused, then the session again.
  provider_.Options().refused_connections = centre_.Options().refused_connections = 2;
  RefuseLogins(true);
  Far().Drop();
  loop.RunFor(milliseconds(10));
  EXPECT_FALSE(Listening());
  At(10000, [this] { RefuseLogins(false); });
  loop.RunFor(seconds(30));
  // The break is seen at the keeper's next second, then 1, 2, 4, 8 s.
  EXPECT_THAT(Asked(), ElementsAre(1, 12001, 14001, 18001, 26001));
  EXPECT_EQ(shown_.back(), "Receiving: connected");
  EXPECT_TRUE(Listening());
  EXPECT_EQ(Logins(), 3);
  EXPECT_EQ(Receipt(), "");
  // Nothing of it on the status line, which belongs to sends.
  EXPECT_THAT(statuses.Texts(), Each(Not(AnyOf(HasSubstr("Logg"), HasSubstr("Connecting")))));
  Deliver("Hej");
  EXPECT_THAT(Answers(), ElementsAre("A"));
}

}  // namespace
}  // namespace tolvane::testing
