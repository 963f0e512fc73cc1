#include "records/log_record.h"

#include <array>
#include <utility>

#include "core/receipt_texts.h"
#include "platform/local_time.h"
#include "platform/text_codec.h"

namespace tolvane {
namespace {

std::string CleanField(std::string_view field) {
  std::string clean;
  for (char c : field) {
    if (c == '\r') continue;
    if (c == '\n') {
      clean += ' ';
    } else if (c == '"') {
      clean += '\'';
    } else {
      clean += c;
    }
  }
  return clean;
}

}  // namespace

LogRecord LogRecord::At(TimePoint now, std::string recipient, std::string result,
                        std::string message) {
  return {ShortDateText(now), HourMinuteText(now), std::move(recipient), std::move(result),
          std::move(message)};
}

std::string LogRecord::ToLine() const {
  std::string line;
  for (const std::string* field : {&date, &time, &recipient, &result, &message}) {
    if (!line.empty()) line += ',';
    line += '"' + CleanField(*field) + '"';
  }
  return Utf8ToCp1252WithReferences(line) + "\r\n";
}

LogRecord LogRecord::FromLine(std::string_view line) {
  LogRecord record;
  std::array<std::string*, 5> fields = {&record.date, &record.time, &record.recipient,
                                        &record.result, &record.message};
  std::size_t pos = 0;
  for (std::string* field : fields) {
    std::size_t open = line.find('"', pos);
    if (open == std::string_view::npos) break;
    std::size_t close = line.find('"', open + 1);
    if (close == std::string_view::npos) break;
    *field = Cp1252WithReferencesToUtf8(line.substr(open + 1, close - open - 1));
    pos = close + 1;
  }
  return record;
}

std::string LogResult(bool cancelled, const std::string& receipt_line) {
  if (receipt_line == kReceiptWaitCancelled) return kReceiptSent;
  return cancelled ? kLogCancelledResult : receipt_line;
}

std::string ReceiptResult(bool cancelled, const std::string& receipt_line) {
  if (receipt_line == kReceiptWaitCancelled) return kReceiptSent;
  return cancelled ? kReceiptCancelledResult : receipt_line;
}

}  // namespace tolvane
