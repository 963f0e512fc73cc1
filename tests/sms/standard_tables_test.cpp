// The GSM default alphabet, its extension table and the TP-Status values,
// each typed here from the published tables rather than read back through the
// code's own.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "sms/gsm_alphabet.h"
#include "sms/status_report.h"
#include "text/utf8.h"

namespace tolvane {
namespace {

// The default alphabet, a row of 16 septet values per line; 1B is the escape.
constexpr const char16_t* kDefaultRows[8] = {
    u"@£$¥èéùìòÇ\nØø\rÅå", u"Δ_ΦΓΛΩΠΨΣΘΞ\x1BÆæßÉ", u" !\"#¤%&'()*+,-./", u"0123456789:;<=>?",
    u"¡ABCDEFGHIJKLMNO",   u"PQRSTUVWXYZÄÖÑÜ§",    u"¿abcdefghijklmno",  u"pqrstuvwxyzäöñüà",
};

// The extension table: the septet after the escape and its character.
constexpr struct {
  char septet;
  char32_t character;
} kExtension[] = {{0x0A, U'\f'}, {0x14, U'^'}, {0x28, U'{'}, {0x29, U'}'}, {0x2F, U'\\'},
                  {0x3C, U'['},  {0x3D, U'~'}, {0x3E, U']'}, {0x40, U'|'}, {0x65, U'€'}};

char32_t DefaultCharacter(int septet) { return kDefaultRows[septet / 16][septet % 16]; }

TEST(StandardTablesTest, EveryDefaultAndExtensionCharacterGoesBothWays) {
  for (int septet = 0; septet < 128; ++septet) {
    if (septet == kGsmEscape) continue;
    const std::u32string character(1, DefaultCharacter(septet));
    EXPECT_EQ(ToGsmSeptets(character), std::string(1, static_cast<char>(septet))) << septet;
    EXPECT_EQ(FromGsmSeptets(std::string(1, static_cast<char>(septet))), character) << septet;
    // An escape before a value the extension table lacks shows the value's
    // own character (a second escape shows a space).
    bool extended = false;
    for (const auto& e : kExtension) extended |= e.septet == septet;
    if (!extended) {
      EXPECT_EQ(FromGsmSeptets(std::string{kGsmEscape, static_cast<char>(septet)}), character);
    }
  }
  EXPECT_EQ(FromGsmSeptets("\x1B\x1B"), U" ");
  EXPECT_EQ(FromGsmSeptets("A\x1B"), U"A ");
  // The high bit of an unpacked septet is ignored.
  EXPECT_EQ(FromGsmSeptets("\xC1"), U"A");
  // ç is sent as Ç's 09 and reads back as Ç.
  EXPECT_EQ(ToGsmSeptets(U"ç"), "\x09");
  EXPECT_EQ(EncodeUtf8(FromGsmSeptets(*ToGsmSeptets(DecodeUtf8("Ça va, garçon")))),
            "Ça va, garÇon");
  for (char32_t missing : {U'ô', U'`', U'\t', U'\u20AD', U'😀'}) {
    EXPECT_EQ(GsmSeptetCount(missing), 0) << static_cast<int>(missing);
    EXPECT_FALSE(ToGsmSeptets(std::u32string(U"ab") + missing));
  }
  for (const auto& e : kExtension) {
    const std::string septets{kGsmEscape, e.septet};
    EXPECT_EQ(GsmSeptetCount(e.character), 2) << static_cast<int>(e.septet);
    EXPECT_EQ(ToGsmSeptets(std::u32string(1, e.character)), septets);
    EXPECT_EQ(FromGsmSeptets(septets), std::u32string(1, e.character));
  }
}

// A status report to 0701234567 with the given TP-Status.
std::optional<StatusReport> ReportWithStatus(int status) {
  char hex[3];
  std::snprintf(hex, sizeof hex, "%02X", status);
  return ReadStatusReport(std::string("06170A8170103254767090215101218A70902151017180") + hex,
                          ServiceCentrePrefix::kOmitted);
}

TEST(StandardTablesTest, EveryStatusReadsAsItsGroupAndReason) {
  using enum DeliveryOutcome;
  // Reserved values read as "Service rejected" (63), status kept as received;
  // a value of the centre's own has no text but keeps its group.
  constexpr const char* kReserved = "Service rejected";
  constexpr const char* kCentres = nullptr;
  const struct {
    int first;
    int last;
    DeliveryOutcome outcome;
    const char* reason;
  } kStatuses[] = {
      // Transaction completed.
      {0x00, 0x00, kDelivered, "Delivered"},
      {0x01, 0x01, kDelivered, "Forwarded, delivery not confirmed"},
      {0x02, 0x02, kDelivered, "Replaced by the service centre"},
      {0x03, 0x0F, kFailed, kReserved},
      {0x10, 0x1F, kDelivered, kCentres},
      // Temporary error, the centre still trying.
      {0x20, 0x20, kStillTrying, "Congestion"},
      {0x21, 0x21, kStillTrying, "Recipient busy"},
      {0x22, 0x22, kStillTrying, "No response from recipient"},
      {0x23, 0x23, kStillTrying, "Service rejected"},
      {0x24, 0x24, kStillTrying, "Quality of service not available"},
      {0x25, 0x25, kStillTrying, "Error in the recipient's phone"},
      {0x26, 0x2F, kFailed, kReserved},
      {0x30, 0x3F, kStillTrying, kCentres},
      // Permanent error.
      {0x40, 0x40, kFailed, "Remote procedure error"},
      {0x41, 0x41, kFailed, "Incompatible destination"},
      {0x42, 0x42, kFailed, "Connection rejected by recipient"},
      {0x43, 0x43, kFailed, "Not obtainable"},
      {0x44, 0x44, kFailed, "Quality of service not available"},
      {0x45, 0x45, kFailed, "No interworking available"},
      {0x46, 0x46, kFailed, "Validity period expired"},
      {0x47, 0x47, kFailed, "Deleted by the sender"},
      {0x48, 0x48, kFailed, "Deleted by the service centre"},
      {0x49, 0x49, kFailed, "Message does not exist"},
      {0x4A, 0x4F, kFailed, kReserved},
      {0x50, 0x5F, kFailed, kCentres},
      // Temporary error, the centre has given up.
      {0x60, 0x60, kFailed, "Congestion"},
      {0x61, 0x61, kFailed, "Recipient busy"},
      {0x62, 0x62, kFailed, "No response from recipient"},
      {0x63, 0x63, kFailed, "Service rejected"},
      {0x64, 0x64, kFailed, "Quality of service not available"},
      {0x65, 0x65, kFailed, "Error in the recipient's phone"},
      {0x66, 0x6F, kFailed, kReserved},
      {0x70, 0x7F, kFailed, kCentres},
      // Bit 7 set: reserved.
      {0x80, 0xFF, kFailed, kReserved},
  };
  int next = 0;
  for (const auto& row : kStatuses) {
    ASSERT_EQ(row.first, next) << "the table leaves a gap";
    for (int status = row.first; status <= row.last; ++status) {
      const std::optional<StatusReport> report = ReportWithStatus(status);
      ASSERT_TRUE(report) << status;
      char own[16];
      std::snprintf(own, sizeof own, "Status 0x%02X", status);
      EXPECT_EQ(report->status, status);
      EXPECT_EQ(report->outcome, row.outcome) << own;
      EXPECT_EQ(report->reason, row.reason ? row.reason : own) << own;
    }
    next = row.last + 1;
  }
  EXPECT_EQ(next, 0x100);
}

}  // namespace
}  // namespace tolvane
