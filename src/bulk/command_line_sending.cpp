#include "bulk/command_line_sending.h"

#include <algorithm>
#include <optional>

#include "bulk/group_sending.h"
#include "core/message_fields.h"
#include "phonebook/group_tables.h"
#include "platform/name_key.h"
#include "platform/store_error.h"
#include "records/log_file.h"
#include "records/log_record.h"
#include "text/utf8.h"

namespace tolvane {
namespace {

constexpr char kDefaultReceiptFile[] = "kvitto.txt";
constexpr int kCloseDelayMs = 3000;

// Cuts `text` at the first `delimiter`: returns what stands before it and
// leaves what follows in `text` (all of it goes when there is none).
std::string TakeField(std::string& text, const std::string& delimiter) {
  size_t at = text.find(delimiter);
  std::string field = text.substr(0, at);
  text = at == std::string::npos ? "" : text.substr(at + delimiter.size());
  return field;
}

OrderOutcome RunOutcome(const GroupSending& groups) {
  return groups.LastRunAccepted() ? OrderOutcome::kAccepted : OrderOutcome::kFailed;
}

}  // namespace

CommandLineOrder ParseCommandLineOrder(const std::string& text, const std::string& separator) {
  CommandLineOrder order;
  const std::u32string characters = DecodeUtf8(text);
  const std::u32string marker = DecodeUtf8(separator);
  for (size_t i = 1; !marker.empty() && i < characters.size(); ++i) {
    if (characters[i] == marker.front() && characters[i - 1] == marker.front()) {
      ++order.doubled_separators;
    }
  }
  const std::string doubled = separator + separator;
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

std::vector<std::string> SplitNumberList(std::string field) {
  if (!field.empty() && field.front() == '\n') field.erase(0, 1);
  if (field.empty() || field.back() != ',') field += ',';
  std::vector<std::string> numbers;
  size_t start = 0;
  for (size_t comma = field.find(','); comma != std::string::npos; comma = field.find(',', start)) {
    numbers.push_back(field.substr(start, comma - start));
    start = comma + 1;
  }
  return numbers;
}

std::string CommandLineSending::Separator() const {
  const std::string& setting = window_.Settings().AutoFilSep;
  return setting.empty() ? "/" : std::string(Utf8Prefix(setting, 1));
}

OrderOutcome CommandLineSending::ArgSandning(const std::string& text) {
  const std::string separator = Separator();
  const std::string doubled = separator + separator;
  CommandLineOrder order = ParseCommandLineOrder(text, separator);
  SendState& state = window_.State();
  window_.Groups().SetGroupMembers({});
  state.write_receipt_file = false;

  OrderOutcome outcome = OrderOutcome::kBadOrder;
  if (order.doubled_separators < 2) {
    window_.SetReceiptLine("Incorrect order: use marker" + doubled + "number" + doubled +
                           "message");
  } else if (const std::string problem = FieldProblem(order.message); !problem.empty()) {
    // Written so that it cannot be carried out.
    RefuseOrder(order, problem);
  } else if (const std::string refusal = TextRefusal(order); !refusal.empty()) {
    outcome = RefuseOrder(order, refusal);
  } else {
    state.write_receipt_file = order.write_receipt_file;
    state.receipt_file_name = order.receipt_file_name;
    // As if typed: group mode and Double put the last typed text back.
    state.saved_text = order.message;
    if (order.field2.find(',') != std::string::npos) {
      PutSingleMessage(order.message);
      outcome = SendToList(order.field2);
    } else if (order.field1.find('G') != std::string::npos) {
      PutSingleMessage(order.message);
      outcome = ArgGrupp(order.field2);
    } else {
      window_.SetMessageText(order.message);
      outcome = SendToNumber(order.field2);
    }
    // An order refused before anything was sent leaves the flag for no one
    // to clear.
    state.write_receipt_file = false;
  }
  WaitFor(window_.Loop(), kCloseDelayMs);
  return outcome;
}

std::string CommandLineSending::TextRefusal(const CommandLineOrder& order) const {
  const bool one_number =
      order.field2.find(',') == std::string::npos && order.field1.find('G') == std::string::npos;
  // The members of a list or group get their own texts, looked at as each goes.
  if (!one_number && HasFields(order.message)) return {};
  return window_.ActiveTransport().RefusalOf(
      FillFields(order.message, {"", one_number ? order.field2 : ""}));
}

OrderOutcome CommandLineSending::RefuseOrder(const CommandLineOrder& order,
                                             const std::string& reason) {
  window_.SetReceiptLine(reason);
  if (order.write_receipt_file) {
    const LogRecord record = LogRecord::At(window_.Loop().Now(), order.field2, reason, "");
    if (int error =
            Skriv_Kvitto(window_.Settings().ProgramFolder, order.receipt_file_name, record)) {
      window_.SetReceiptLine(ReceiptWriteErrorText(error));
    }
  }
  return OrderOutcome::kFailed;
}

void CommandLineSending::PutSingleMessage(const std::string& message) {
  // Quietly: a ticked "Double" would be refused with a box by group mode.
  window_.SetChecked(MainControl::kDouble, false);
  window_.State().double_message = false;
  window_.SetMessageText(message);
}

OrderOutcome CommandLineSending::SendToNumber(const std::string& number) {
  window_.OnTemporaryNumberToggled(true);
  window_.OnNumberEdited(number);
  window_.StartSend();
  window_.OnTemporaryNumberToggled(false);
  return window_.State().accepted ? OrderOutcome::kAccepted : OrderOutcome::kFailed;
}

OrderOutcome CommandLineSending::SendReply(const std::string& number, const std::string& message) {
  if (const std::string refusal = window_.ActiveTransport().RefusalOf(message); !refusal.empty()) {
    window_.SetReceiptLine(refusal);
    return OrderOutcome::kFailed;
  }
  // What the user has in the main window stays there.
  const std::string typed = window_.MessageText();
  const bool temporary = window_.Control(MainControl::kTemporaryNumber).checked;
  const std::string typed_number = window_.Control(MainControl::kNumberField).text;
  window_.SetMessageText(message);
  const OrderOutcome outcome = SendToNumber(number);
  window_.SetMessageText(typed);
  if (temporary) {
    window_.OnTemporaryNumberToggled(true);
    window_.OnNumberEdited(typed_number);
  }
  return outcome;
}

OrderOutcome CommandLineSending::SendToList(const std::string& field) {
  std::vector<std::string> numbers = SplitNumberList(field);
  if (numbers.size() > static_cast<size_t>(kMaxGroupMembers)) {
    window_.SetReceiptLine("More than " + std::to_string(kMaxGroupMembers) +
                           " numbers in the order, nothing sent!");
    return OrderOutcome::kBadOrder;
  }
  GroupSending& groups = window_.Groups();
  groups.SetGroupMembers(std::move(numbers));
  window_.SetAutosendInProgress(true);
  groups.SandGruppAuto();
  // A run refused before its first exchange has left the flag set.
  window_.SetAutosendInProgress(false);
  return RunOutcome(groups);
}

OrderOutcome CommandLineSending::ArgGrupp(const std::string& name) {
  std::optional<std::string> group;
  if (PhoneBookStore* store = window_.PhoneBookStoreOrNull()) {
    try {
      group = FindGroup(*store, name);
    } catch (const StoreError&) {
    }
  }
  if (!group) {
    window_.SetReceiptLine("Can´t find the " + name + " group!");
    return OrderOutcome::kBadOrder;
  }
  GroupSending& groups = window_.Groups();
  // Group mode is left as it was found (an autosend may run in it).
  const bool entered = !groups.GroupMode();
  if (entered) groups.OnGroupSendingToggled();
  if (!groups.GroupMode()) return OrderOutcome::kFailed;
  const std::vector<std::string>& names = window_.List(MainList::kGroups).items;
  const std::string key = NameKey(name);
  auto found = std::find_if(names.begin(), names.end(),
                            [&](const std::string& entry) { return NameKey(entry) == key; });
  OrderOutcome outcome = OrderOutcome::kBadOrder;
  if (found != names.end()) {
    groups.OnGroupChosen(static_cast<int>(found - names.begin()));
    groups.SendToGroup();
    outcome = RunOutcome(groups);
  }
  if (entered) {
    groups.OnGroupSendingToggled();
    // Leaving group mode shows the message's length instead.
    if (found != names.end()) groups.ReportRun();
  }
  return outcome;
}

}  // namespace tolvane
