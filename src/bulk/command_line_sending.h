#ifndef TOLVANE_BULK_COMMAND_LINE_SENDING_H_
#define TOLVANE_BULK_COMMAND_LINE_SENDING_H_

#include <string>
#include <vector>

#include "bulk/order_host.h"

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
CommandLineOrder ParseCommandLineOrder(const std::string& text, const std::string& separator);

// The numbers of a list field, one per ",": a leading line feed is dropped
// and a missing last "," supplied, so "0701,0702" and "0701,0702," are alike.
std::vector<std::string> SplitNumberList(std::string field);

// Sends an order given on the command line (or read from an autosend file)
// through its host (the main window): to one number, to a list of up to 40 numbers, or
// to a group of the phone book.
class CommandLineSending {
 public:
  explicit CommandLineSending(OrderHost& window) : window_(window) {}

  // Sends the order, then waits three seconds with the window alive, so a
  // caller that closes the program afterwards lets the user see the outcome.
  // A message the transport cannot carry goes to no one.
  OrderOutcome ArgSandning(const std::string& text);
  // Sends the message box's text to the group of that name, found in any
  // letter case, through the main window's group mode.
  OrderOutcome ArgGrupp(const std::string& name);
  // Sends `message` to `number` as an order to one number does, without the
  // wait for the program's end; the message box gets its text back after.
  OrderOutcome SendReply(const std::string& number, const std::string& message);

 private:
  // The separator of the settings (`AutoFilSep`), "/" when none is set.
  std::string Separator() const;
  // An order that is sent to no one: the reason goes on the receipt line and,
  // when the order asks for one, into its receipt file.
  OrderOutcome RefuseOrder(const CommandLineOrder& order, const std::string& reason);
  // Why the transport cannot carry the order's message to one number, or to
  // every member of a list or group when they all get the same text; empty
  // when it can.
  std::string TextRefusal(const CommandLineOrder& order) const;
  OrderOutcome SendToList(const std::string& field);
  OrderOutcome SendToNumber(const std::string& number);
  // Double unchecked, the message in the box, the count shown.
  void PutSingleMessage(const std::string& message);

  OrderHost& window_;
};

}  // namespace tolvane

#endif  // TOLVANE_BULK_COMMAND_LINE_SENDING_H_
