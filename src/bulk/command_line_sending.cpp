#include "bulk/command_line_sending.h"

#include <algorithm>

namespace tolvane {
namespace {

constexpr char kDefaultReceiptFile[] = "kvitto.txt";

// Cuts `text` at the first `delimiter`: returns what stands before it and
// leaves what follows in `text` (all of it goes when there is none).
std::string TakeField(std::string& text, const std::string& delimiter) {
  size_t at = text.find(delimiter);
  std::string field = text.substr(0, at);
  text = at == std::string::npos ? "" : text.substr(at + delimiter.size());
  return field;
}

}  // namespace

CommandLineOrder ParseCommandLineOrder(const std::string& text, char separator) {
  CommandLineOrder order;
  for (size_t i = 1; i < text.size(); ++i) {
    if (text[i] == separator && text[i - 1] == separator) ++order.doubled_separators;
  }
  const std::string doubled(2, separator);
  std::string rest = text;
  order.field1 = TakeField(rest, doubled);
  order.field2 = TakeField(rest, doubled);
  if (order.doubled_separators > 2) {
    order.write_receipt_file = true;
    order.message = TakeField(rest, doubled);
    rest.erase(
        std::remove_if(rest.begin(), rest.end(), [](char c) { return c == '\r' || c == '\n'; }),
        rest.end());
    order.receipt_file_name = rest.empty() ? kDefaultReceiptFile : rest;
  } else {
    order.message = rest;
  }
  return order;
}

OrderOutcome CommandLineSending::ArgSandning(const std::string& text) {
  const std::string& setting = window_.Settings().AutoFilSep;
  const char separator = setting.empty() ? '/' : setting[0];
  const std::string doubled(2, separator);
  CommandLineOrder order = ParseCommandLineOrder(text, separator);
  SendState& state = window_.State();
  state.write_receipt_file = false;
  if (order.doubled_separators < 2) {
    window_.SetReceiptLine("Incorrect order: use marker" + doubled + "number" + doubled +
                           "message");
    return OrderOutcome::kBadOrder;
  }
  if (order.field2.find(',') != std::string::npos || order.field1.find('G') != std::string::npos) {
    window_.SetReceiptLine("Sending to a list of numbers or a group is not available.");
    return OrderOutcome::kBadOrder;
  }
  state.write_receipt_file = order.write_receipt_file;
  state.receipt_file_name = order.receipt_file_name;
  window_.OnTemporaryNumberToggled(true);
  window_.OnNumberEdited(order.field2);
  window_.SetMessageText(order.message);
  window_.StartSend();
  window_.OnTemporaryNumberToggled(false);
  // A send refused before it started leaves the flag for no one to clear.
  state.write_receipt_file = false;
  return state.accepted ? OrderOutcome::kAccepted : OrderOutcome::kFailed;
}

}  // namespace tolvane
