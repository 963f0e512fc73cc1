// Op 52 frames typed from the UCP/EMI interface description (and read the
// same by Wireshark's UCP dissector): each decoded into the part the program
// keeps.
#include <gtest/gtest.h>

#include <string>

#include "emi/emi_operations.h"
#include "ucp/ucp_frame.h"

namespace tolvane {
namespace {

constexpr char kAt[] = "2026-12-08 10:15:30";

TEST(EmiDeliverTest, MessagesAreDecodedIntoParts) {
  const struct {
    const char* frame;
    EmiAlphabet alphabet;
    std::optional<ReceivedPart> part;
  } kCases[] = {
      // MT 3 from an international number (OTOA 1139), AMsg as GSM code
      // points or as IRA (E5 in Windows-1252); MCLs 0 a flash message.
      {"00/00098/O/52/0046709999999/46701234567/////////////081226101530////3//48656A21////////"
       "1139/////EE",
       EmiAlphabet::kGsm, ReceivedPart{"+46701234567", kAt, "Hej!", "GSM"}},
      {"06/00099/O/52/0046709999999/46701234567/////////////081226101530////3//48656AE5////0////"
       "1139/////3C",
       EmiAlphabet::kIra, ReceivedPart{"+46701234567", kAt, "Hejå", "GSM", std::nullopt, true}},
      // An alphanumeric OAdC (OTOA 5039): the semi-octet count, then septets.
      {"01/00101/O/52/0046709999999/0DD437DB1E769701/////////////081226101530////3//48656A///////"
       "/5039/////D3",
       EmiAlphabet::kGsm, ReceivedPart{"Tolvane", kAt, "Hej", "GSM"}},
      // MT 2 digits; a number and a time stamp of no known form as they came.
      {"02/00082/O/52/0046709999999/0701234567/////////////2612////2//12345/////////////9C",
       EmiAlphabet::kGsm, ReceivedPart{"0701234567", "2612", "12345", "GSM"}},
      // MT 4: UCS-2 with a surrogate pair (DCS 08) in a linked part (UDH in
      // XSer 01); 21 bits of packed GSM septets (DCS 00); 8-bit data.
      {"03/00126/O/52/0046709999999/46701234567/////////////081226101530////4/48/D83DDE0003A9////"
       "////1139//01060500032A0201020108///AE",
       EmiAlphabet::kGsm, ReceivedPart{"+46701234567", kAt, "😀Ω", "UCS2", PartLink{42, 2, 1, 8}}},
      {"04/00104/O/52/0046709999999/46701234567/////////////081226101530////4/21/C8B21A////////"
       "1139//020100///1D",
       EmiAlphabet::kGsm, ReceivedPart{"+46701234567", kAt, "Hej", "GSM"}},
      {"05/00102/O/52/0046709999999/46701234567/////////////081226101530////4/40/0102030405/////"
       "///1139/////88",
       EmiAlphabet::kGsm, ReceivedPart{"+46701234567", kAt, "Binary message, 5 bytes", "8bit"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.frame);
    const std::optional<UcpFrame> frame = ReadUcpFrame(c.frame);
    ASSERT_TRUE(frame);
    EXPECT_EQ(ReadDeliveredPart(*frame, c.alphabet), c.part);
  }
  // Another MT, hexadecimal that is not, an XSer element past its end.
  std::vector<std::string> fields(33);
  fields[18] = "3";
  fields[20] = "48656A";
  for (const auto& [at, value] :
       std::vector<std::pair<int, std::string>>{{18, "5"}, {20, "4865G"}, {30, "0106050003"}}) {
    std::vector<std::string> broken = fields;
    broken[at] = value;
    EXPECT_FALSE(
        ReadDeliveredPart(*ReadUcpFrame(SealUcpFrame(1, 'O', kOperationDeliver, broken)), {}))
        << value;
  }
  EXPECT_TRUE(
      ReadDeliveredPart(*ReadUcpFrame(SealUcpFrame(1, 'O', kOperationDeliver, fields)), {}));
  EXPECT_FALSE(
      ReadDeliveredPart(*ReadUcpFrame(SealUcpFrame(1, 'O', kOperationNotification, fields)), {}));
}

}  // namespace
}  // namespace tolvane
