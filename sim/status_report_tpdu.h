#ifndef TOLVANE_SIM_STATUS_REPORT_TPDU_H_
#define TOLVANE_SIM_STATUS_REPORT_TPDU_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "sms/status_report.h"

namespace tolvane::sim {

// The simulated network's clock: `elapsed_ms` after it started at
// 2026-12-06 11:00:00 +01:00, the start of the simulated event loop.
SmsTimestamp NetworkTime(int64_t elapsed_ms);

// A time stamp as its seven semi-octet pairs, the zone in quarter hours.
std::string EncodeTimestamp(const SmsTimestamp& time);

// An SMS-STATUS-REPORT TPDU (no service-centre address before it): the
// reference and the recipient's address field of the submit, when the centre
// took it, when the status came about, and the status.
std::string BuildStatusReportTpdu(int reference, std::string_view recipient_field,
                                  const SmsTimestamp& service_centre_time,
                                  const SmsTimestamp& discharge_time, int status);

}  // namespace tolvane::sim

#endif  // TOLVANE_SIM_STATUS_REPORT_TPDU_H_
