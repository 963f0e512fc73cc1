#ifndef TOLVANE_BULK_COMMAND_LINE_SENDING_H_
#define TOLVANE_BULK_COMMAND_LINE_SENDING_H_

#include <string>

#include "core/main_window.h"

namespace tolvane {

// The fields of an order: marker, number (or list, or group), message and,
// when asked for, the receipt file name.
struct CommandLineOrder {
  std::string field1;
  std::string field2;
  std::string message;
  bool write_receipt_file = false;
  std::string receipt_file_name;
  int doubled_separators = 0;
};

// What became of an order.
enum class OrderOutcome { kAccepted, kFailed, kBadOrder };

// Splits `text` at the separator written twice.
CommandLineOrder ParseCommandLineOrder(const std::string& text, char separator);

// Sends an order given on the command line (or read from an autosend file)
// through the main window.
class CommandLineSending {
 public:
  explicit CommandLineSending(MainWindow& window) : window_(window) {}

  OrderOutcome ArgSandning(const std::string& text);

 private:
  MainWindow& window_;
};

}  // namespace tolvane

#endif  // TOLVANE_BULK_COMMAND_LINE_SENDING_H_
