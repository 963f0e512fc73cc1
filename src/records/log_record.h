#ifndef TOLVANE_RECORDS_LOG_RECORD_H_
#define TOLVANE_RECORDS_LOG_RECORD_H_

#include <string>
#include <string_view>

#include "platform/event_loop.h"

namespace tolvane {

// Result texts of a cancelled send; the two files have always differed.
inline constexpr char kLogCancelledResult[] = "Sending Cancelled.";
inline constexpr char kReceiptCancelledResult[] = "Sending cancelled";
// The result field of a message the network brought to the account.
inline constexpr char kLogReceivedResult[] = "Received";

// One send as the log and the receipt file keep it.
struct LogRecord {
  std::string date;
  std::string time;
  std::string recipient;  // name, one space, number
  std::string result;
  std::string message;

  // A record stamped with the local date and time of `now`.
  static LogRecord At(TimePoint now, std::string recipient, std::string result,
                      std::string message);

  // The file line in Windows-1252: five double-quoted fields separated by
  // commas, ended by CR LF. Line breaks inside a field become a space (LF) or
  // vanish (CR), and a double quote becomes a single quote, so the line always
  // reads back whole. A character outside the code page is written as "&#N;".
  std::string ToLine() const;

  // Reads the fields between the 1st and 2nd, 3rd and 4th, ... 9th and 10th
  // double quotes of `line`, references decoded; missing ones stay empty.
  static LogRecord FromLine(std::string_view line);
};

// The result field: the cancelled text of the file, else the receipt line. A
// message accepted before the cancel keeps kReceiptSent.
std::string LogResult(bool cancelled, const std::string& receipt_line);
std::string ReceiptResult(bool cancelled, const std::string& receipt_line);

}  // namespace tolvane

#endif  // TOLVANE_RECORDS_LOG_RECORD_H_
