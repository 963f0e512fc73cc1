// Messages the simulated centres send to the client, read back with the
// program's own decoders (the fields were checked against Wireshark's SMPP and
// UCP dissectors): parts in order, reversed, twice, split across a login,
// and a refused part again after the next login.
#include "sim/sim_delivery.h"

#include <gtest/gtest.h>

#include "emi/emi_frame_reader.h"
#include "emi/emi_operations.h"
#include "sim/sim_emi_centre.h"
#include "sim/sim_event_loop.h"
#include "sim/sim_smpp_provider.h"
#include "smpp/smpp_commands.h"
#include "smpp/smpp_pdu_reader.h"
#include "sms/hex_octets.h"

namespace tolvane::sim {
namespace {

using std::chrono::milliseconds;
using Strings = std::vector<std::string>;
using namespace std::string_literals;

// Three linked GSM parts: 153 + 153 + 4 septets.
const std::string kLong = std::string(153, 'a') + std::string(153, 'b') + "Hej!";

class SimDeliveryTest : public ::testing::Test {
 protected:
  SimDeliveryTest() {
    smpp_.SetToClient([this](const std::string& bytes) {
      for (const SmppPdu& pdu : smpp_reader_.Feed(bytes)) {
        if (pdu.command != kDeliverSm) continue;
        const bool refuse = Got(*ReceivedFromDeliverSm(*ReadDeliverSm(pdu.body), 0));
        smpp_.FromClient(EncodePdu(
            {kDeliverSm | kResponseBit, refuse ? 0x64u : 0u, pdu.sequence, DeliverSmRespBody()}));
      }
    });
    emi_.SetToClient([this](const std::string& bytes) {
      for (const std::string& text : emi_reader_.Feed(bytes)) {
        const UcpFrame frame = *ReadUcpFrame(text);
        if (frame.result || frame.operation != kOperationDeliver) continue;
        const bool refuse = Got(*ReadDeliveredPart(frame, EmiAlphabet::kGsm));
        emi_.FromClient('\x02' + ResultFrame(frame, refuse ? "02" : "") + '\x03');
      }
    });
    const auto record = [this](const std::string& event, const TakenPart& part) {
      events_.push_back(event + " " + std::to_string(part.part));
    };
    smpp_.SetOnDelivery(record);
    emi_.SetOnDelivery(record);
  }

  // Notes the part ("2/3 bbb..." or the text of a whole one); true refuses it.
  bool Got(const ReceivedPart& part) {
    EXPECT_EQ(part.sender, "+46701234567");
    const std::string place =
        part.link ? std::to_string(part.link->index) + "/" + std::to_string(part.link->total) + " "
                  : "";
    got_.push_back(place + part.text.substr(0, 3));
    return refuse_ > 0 && --refuse_ == 0;
  }

  // Connects and logs in; the parts the client got in the session.
  Strings Session(TcpPeer& peer) {
    got_.clear();
    peer.Accept();
    if (&peer == &smpp_) {
      smpp_.FromClient(EncodePdu({kBindTransceiver, 0, 1, "tolvane\0secret\0\0\x34\0\0\0"s}));
    } else {
      emi_.FromClient('\x02' +
                      SealUcpFrame(0, 'O', kOperationLogin,
                                   {"tolvane", "6", "5", "1", ToHex("secret"), "", "0100"}) +
                      '\x03');
    }
    loop_.RunFor(milliseconds(100));
    peer.ClientClosed();
    return got_;
  }

  SimEventLoop loop_;
  Scheduler schedule_ = [this](int ms, std::function<void()> action) {
    loop_.After(milliseconds(ms), std::move(action));
  };
  SimSmppProvider smpp_{schedule_};
  SimEmiCentre emi_{schedule_};
  SmppPduReader smpp_reader_;
  EmiFrameReader emi_reader_;
  Strings got_;
  Strings events_;
  // Refuses the part with this number (from 1) of the next session.
  int refuse_ = 0;
};

TEST_F(SimDeliveryTest, PartsGoAsTheOptionsSayAndARefusedOneAgainAfterTheNextLogin) {
  const struct {
    DeliverOptions options;
    int refuse;
    Strings first;
    Strings second;
  } kCases[] = {
      {{}, 0, {"1/3 aaa", "2/3 bbb", "3/3 Hej"}, {}},
      {{.reversed = true}, 0, {"3/3 Hej", "2/3 bbb", "1/3 aaa"}, {}},
      {{.part_twice = 2}, 0, {"1/3 aaa", "2/3 bbb", "2/3 bbb", "3/3 Hej"}, {}},
      {{.split_after = 1}, 0, {"1/3 aaa"}, {"2/3 bbb", "3/3 Hej"}},
      {{.reversed = true, .split_after = 2}, 0, {"3/3 Hej", "2/3 bbb"}, {"1/3 aaa"}},
      {{}, 2, {"1/3 aaa", "2/3 bbb", "3/3 Hej"}, {"2/3 bbb"}},
      {{.sar = true}, 0, {"1/3 aaa", "2/3 bbb", "3/3 Hej"}, {}},
      {{.payload = true}, 0, {kLong.substr(0, 3)}, {}},
  };
  for (const auto& c : kCases) {
    for (TcpPeer* peer : {static_cast<TcpPeer*>(&smpp_), static_cast<TcpPeer*>(&emi_)}) {
      if (peer == &emi_ && (c.options.sar || c.options.payload)) continue;
      SCOPED_TRACE(std::string(peer == &smpp_ ? "SMPP " : "EMI ") + c.first.front());
      smpp_.Options().delivery = emi_.Options().delivery = c.options;
      std::string refusal;
      // Given before the client logs in, it waits for the login.
      ASSERT_TRUE(peer == &smpp_ ? smpp_.Deliver({"+46701234567", kLong}, refusal)
                                 : emi_.Deliver({"+46701234567", kLong}, refusal));
      refuse_ = c.refuse;
      EXPECT_EQ(Session(*peer), c.first);
      EXPECT_EQ(Session(*peer), c.second);
      EXPECT_EQ(Session(*peer), Strings{});
    }
  }
  // A Unicode text in the same way, and what the record is told.
  events_.clear();
  std::string refusal;
  smpp_.Options().delivery = {};
  ASSERT_TRUE(smpp_.Deliver({"+46701234567", "Ωmega"}, refusal));
  refuse_ = 1;
  EXPECT_EQ(Session(smpp_), Strings{"Ωm"});
  EXPECT_EQ(events_, (Strings{"delivered 0", "refused 0"}));
  EXPECT_FALSE(emi_.Deliver({"070#1", "Hej"}, refusal));
  EXPECT_EQ(ReadDeliverLine("deliver +46701234567 Hej då!\r\n")->text, "Hej då!");
  EXPECT_FALSE(ReadDeliverLine("deliver +46701234567"));
}

}  // namespace
}  // namespace tolvane::sim
