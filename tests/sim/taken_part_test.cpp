// What the simulated centres record of each part they take, read as the
// standards say.
#include "sim/taken_part.h"

#include <gtest/gtest.h>

#include "emi/emi_frame_reader.h"
#include "sim/sim_emi_centre.h"
#include "sim/sim_event_loop.h"
#include "sim/sim_smpp_provider.h"
#include "sim/submit_tpdu_reader.h"
#include "sms/hex_octets.h"
#include "ucp/ucp_frame.h"

namespace tolvane::sim {
namespace {

using std::chrono::milliseconds;
using Strings = std::vector<std::string>;
using namespace std::string_literals;

// SMS-SUBMIT TPDUs that python3-gammu decodes the same way.
TEST(TakenPartTpduTest, AGsmSubmitIsReadByItsDataCodingBehindItsHeader) {
  const std::pair<const char*, const char*> kCases[] = {
      {"21000B916407214365F7000005C8B27A5306", "1\t46701234567\t0\t0\t1\tHej€"},
      {"41000B916407214365F700000A0500032A0201906535", "1\t46701234567\t42\t1\t2\tHej"},
      {"41000A81701032547600080D06080412340302006100090062", "1\t0701234567\t4660\t2\t3\ta\\tb"},
  };
  for (const auto& [tpdu, line] : kCases) {
    EXPECT_EQ(TakenPartLine(1, ReadSubmitTpdu(FromHex(tpdu).value()).value().part), line);
  }
}

class TakenPartTest : public ::testing::Test {
 protected:
  TakenPartTest() {
    smpp_.SetToClient([](const std::string&) {});
    emi_.SetToClient([this](const std::string& bytes) { GotFrames(bytes); });
    const auto record = [this](const TakenPart& part) {
      taken_.push_back(TakenPartLine(static_cast<int>(taken_.size()) + 1, part));
      got_.push_back("taken");
    };
    smpp_.SetOnTaken(record);
    emi_.SetOnTaken(record);
  }

  // What the client got: an EMI frame's O/R and operation.
  void GotFrames(const std::string& bytes) {
    for (const std::string& text : emi_reader_.Feed(bytes)) {
      const UcpFrame frame = ReadUcpFrame(text).value();
      got_.push_back((frame.result ? "R" : "O") + frame.operation);
    }
  }
  // Connects and binds or logs in.
  void Connect(TcpPeer& peer) {
    got_.clear();
    peer.Accept();
    &peer == &smpp_ ? Smpp(kBindTransceiver, "tolvane\0secret\0\0\x34\0\0\0"s)
                    : Emi("60", {"tolvane", "6", "5", "1", ToHex("secret"), "", "0100"});
    loop_.RunFor(milliseconds(100));
  }
  void Smpp(uint32_t command, const std::string& body) {
    smpp_.FromClient(EncodePdu({command, 0, 1, body}));
  }
  void Emi(const char* operation, const Strings& fields) {
    emi_.FromClient('\x02' + SealUcpFrame(1, 'O', operation, fields) + '\x03');
  }
  // A submit_sm to 46701234567 (UDH in the text with `esm_class` 0x40).
  static std::string SmppSubmit(char esm_class, char data_coding, const std::string& text,
                                const std::string& tlvs = "") {
    return "\0\1\1"
           "46700000000\0\1\1"
           "46701234567\0"s +
           esm_class + "\0\0\0\0\0\0"s + data_coding + '\0' + static_cast<char>(text.size()) +
           text + tlvs;
  }
  // An op 51 to 0046701234567: MT 3 with AMsg or 4 with TMsg, both as hex.
  static Strings EmiSubmit(const char* mt, const std::string& message, const std::string& xser) {
    Strings fields(33);
    fields[0] = "0046701234567";
    fields[18] = mt;
    fields[19] = *mt == '4' ? std::to_string(message.size() * 4) : "";
    fields[20] = message;
    fields[30] = xser;
    return fields;
  }

  SimEventLoop loop_;
  Scheduler schedule_ = [this](int ms, std::function<void()> action) {
    loop_.After(milliseconds(ms), std::move(action));
  };
  SimSmppProvider smpp_{schedule_};
  SimEmiCentre emi_{schedule_};
  EmiFrameReader emi_reader_;
  Strings got_;
  Strings taken_;
};

// A part is recorded before its answer goes out; a refused part, one not
// sound, and one whose connection ended before its answer were not taken.
TEST_F(TakenPartTest, EachPartAnsweredPositivelyIsRecordedWithItsPlaceAndText) {
  smpp_.Options().submit_statuses = {0, 0x58};
  Connect(smpp_);
  const std::string sar = "\x02\x0C\x00\x02\x12\x34\x02\x0E\x00\x01\x03\x02\x0F\x00\x01\x01"s;
  for (const std::string& body : {SmppSubmit(0, 0, "Hej\x1B\x65"), SmppSubmit(0, 0, "Nej"),
                                  SmppSubmit(0x40, 8, "\x05\x00\x03\x2A\x03\x02\x03\xA9\x00\x0A"s),
                                  SmppSubmit(0, 3, "", sar + "\x04\x24\x00\x05Gr\xFC\xDF\x65"s),
                                  SmppSubmit(0x40, 0, "\x06\x08\x04\x00\x07\x03\x02x\x1B\x2F"s),
                                  SmppSubmit(0x40, 0, "\x09")}) {
    Smpp(kSubmitSm, body);
    loop_.RunFor(milliseconds(400));
  }
  Connect(emi_);
  emi_.Options().submit_errors = {"", "24"};
  for (const Strings& fields :
       {EmiSubmit("3", "48656A1B65", "0106050003070201"), EmiSubmit("3", "4E656A", ""),
        EmiSubmit("4", "006100090062000A005C", "020108"),
        Strings{"0046701234567", "", "", "", "", "", "", "", "", "4F4B"},
        EmiSubmit("3", "4E656A", "0105")}) {
    Emi(fields.size() == 10 ? "30" : "51", fields);
    loop_.RunFor(milliseconds(400));
  }
  EXPECT_EQ(got_, (Strings{"R60", "taken", "R51", "R51", "taken", "R51", "taken", "R30", "R51"}));
  Smpp(kSubmitSm, SmppSubmit(0, 0, "Late"));
  smpp_.ClientClosed();
  Emi("51", EmiSubmit("3", "4E656A", ""));
  emi_.ClientClosed();
  loop_.RunFor(milliseconds(1000));
  EXPECT_EQ(taken_,
            (Strings{"1\t46701234567\t0\t0\t1\tHej€", "2\t46701234567\t42\t2\t3\tΩ\\n",
                     "3\t46701234567\t4660\t1\t3\tGrüße", "4\t46701234567\t7\t2\t3\tx\\\\",
                     "5\t0046701234567\t7\t1\t2\tHej€", "6\t0046701234567\t0\t0\t1\ta\\tb\\n\\\\",
                     "7\t0046701234567\t0\t0\t1\tOK"}));
}

}  // namespace
}  // namespace tolvane::sim
