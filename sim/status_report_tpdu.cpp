#include "sim/status_report_tpdu.h"

#include <chrono>
#include <cstdlib>

namespace tolvane::sim {
namespace {

// A report without more messages waiting behind it.
constexpr char kStatusReportFirstOctet = 0x06;
constexpr int kUtcOffsetMinutes = 60;

// Two decimal digits as semi-octets, the low one first.
char SwappedDecimal(int value) { return static_cast<char>((value % 10) << 4 | (value / 10)); }

}  // namespace

std::string EncodeTimestamp(const SmsTimestamp& time) {
  std::string octets;
  for (int field : {time.year % 100, time.month, time.day, time.hour, time.minute, time.second}) {
    octets += SwappedDecimal(field);
  }
  // Quarter hours, the sign in bit 3 (of the tens digit).
  const int quarters = std::abs(time.utc_offset_minutes) / 15;
  char zone = SwappedDecimal(quarters);
  if (time.utc_offset_minutes < 0) zone = static_cast<char>(zone | 0x08);
  return octets + zone;
}

SmsTimestamp NetworkTime(int64_t elapsed_ms) {
  using namespace std::chrono;
  const sys_seconds start =
      sys_days{year{2026} / December / 6} + hours{10} + minutes{kUtcOffsetMinutes};
  const sys_seconds local = start + seconds{elapsed_ms / 1000};
  const sys_days day = floor<days>(local);
  const year_month_day date{day};
  const hh_mm_ss clock{local - day};
  return SmsTimestamp{static_cast<int>(date.year()),
                      static_cast<int>(static_cast<unsigned>(date.month())),
                      static_cast<int>(static_cast<unsigned>(date.day())),
                      static_cast<int>(clock.hours().count()),
                      static_cast<int>(clock.minutes().count()),
                      static_cast<int>(clock.seconds().count()),
                      kUtcOffsetMinutes};
}

std::string BuildStatusReportTpdu(int reference, std::string_view recipient_field,
                                  const SmsTimestamp& service_centre_time,
                                  const SmsTimestamp& discharge_time, int status) {
  std::string tpdu;
  tpdu += kStatusReportFirstOctet;
  tpdu += static_cast<char>(reference);
  tpdu += recipient_field;
  tpdu += EncodeTimestamp(service_centre_time);
  tpdu += EncodeTimestamp(discharge_time);
  tpdu += static_cast<char>(status);
  return tpdu;
}

}  // namespace tolvane::sim
