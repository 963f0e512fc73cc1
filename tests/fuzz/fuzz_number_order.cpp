// Orders naming a list of numbers or a group, sent to the simulated gateway:
// each number with digits gets the text (its fields filled for it, a member
// whose text cannot go skipped), more than 40 send nothing, a group
// is found in any letter case or told missing, a text the gateway cannot
// carry is refused first, and the window ends unlocked and out of group mode.
//
// Input: one byte of options, field 2, then the message and what follows it.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "bulk/command_line_sending.h"
#include "bulk/group_sending.h"
#include "core/message_fields.h"
#include "core/transport.h"
#include "fuzz_check.h"
#include "phonebook/group_tables.h"
#include "platform/local_file_system.h"
#include "platform/name_key.h"
#include "platform/text_codec.h"
#include "sim/sim_gateway.h"
#include "sim/sim_http_client.h"
#include "support/window_peripherals.h"
#include "text/text_helpers.h"
#include "text/utf8.h"

namespace tolvane {
namespace {

struct Group {
  const char* name;
  std::vector<FieldMember> members;
};
// The groups of the phone book.
const Group kGroups[] = {{"Vänner", {{"Anna", "0701"}, {"Bertil", "0702"}}},
                         {"Fam", {{"Cilla", "070-3"}}}};

struct GroupPeripherals : testing::WindowPeripherals {
  GroupPeripherals() {
    for (const Group& group : kGroups) {
      for (const FieldMember& m : group.members) book.AddToGroup(group.name, m.name, m.number);
    }
    settings.AccessTyp = "TCP";
    settings.EjKvitto = "1";
    settings.EjKvittoOn = true;
  }
};

// The list a field names after its leading line feed goes and its last ","
// is supplied.
std::string Normalised(std::string field) {
  if (field.starts_with('\n')) field.erase(0, 1);
  if (!field.ends_with(',')) field += ',';
  return field;
}

}  // namespace

int FuzzOne(const uint8_t* data, size_t size) {
  static GroupPeripherals peripherals;
  FuzzedDataProvider input(data, size);
  const uint8_t options = input.ConsumeIntegral<uint8_t>();
  const std::string field2 = input.ConsumeRandomLengthString(600);
  // As the program reads its command line.
  const std::string text = ForeignTextToUtf8(std::string(options & 1 ? "G" : "N") + "//" + field2 +
                                             "//" + input.ConsumeRemainingBytesAsString());

  // Receipt files go to memory, wherever their names point.
  sim::SimFileSystem files;
  SetProgramFileSystem(&files);
  sim::SimEventLoop loop;
  sim::SimGateway gateway;
  sim::SimHttpClient client(loop, gateway);
  MainWindow window(peripherals.settings, peripherals.Services(loop, client), peripherals.host);
  window.SetCommandLineMode(true);
  window.SetPhoneBookStore(&peripherals.book.store());
  window.SetPhoneBookCursor(&peripherals.book.cursor());
  CommandLineSending sending(window);

  const CommandLineOrder order = ParseCommandLineOrder(text, "/");
  const OrderOutcome outcome = sending.ArgSandning(text);
  std::vector<std::string> sent;
  for (const sim::GatewayRequest& request : gateway.Requests()) {
    sent.push_back(request.Field("toPhoneNumber"));
  }
  const std::string& message = window.MessageText();
  // Whether a member's own text, its fields filled, can go.
  const auto goes = [&](const FieldMember& member) {
    if (message.empty() || !FieldProblem(message).empty()) return false;
    const std::string text = FillFields(message, member);
    return !text.empty() && Utf8Length(text) <= static_cast<size_t>(MainWindow::kSingleLimit) &&
           !FirstOutsideCp1252(text);
  };
  const std::string& receipt = window.Control(MainControl::kReceiptLine).text;

  // A text the gateway cannot carry is refused before any number or group
  // is looked at.
  const std::string refusal = Cp1252Refusal(order.message);
  if (order.doubled_separators >= 2 && !refusal.empty()) {
    FUZZ_CHECK(sent.empty() && outcome == OrderOutcome::kFailed && receipt == refusal);
  } else if (order.field2.find(',') != std::string::npos) {
    const std::vector<std::string> numbers = SplitNumberList(order.field2);
    std::string joined;
    for (const std::string& number : numbers) {
      FUZZ_CHECK(number.find(',') == std::string::npos);
      joined += number + ",";
    }
    FUZZ_CHECK(joined == Normalised(order.field2));
    if (numbers.size() > static_cast<size_t>(kMaxGroupMembers)) {
      FUZZ_CHECK(outcome == OrderOutcome::kBadOrder && sent.empty());
      FUZZ_CHECK(receipt == "More than 40 numbers in the order, nothing sent!");
    } else {
      std::vector<std::string> expected;
      for (const std::string& number : numbers) {
        if (!DigitsOf(number).empty() && goes({"", number})) expected.push_back(DigitsOf(number));
      }
      FUZZ_CHECK(sent == expected);
    }
  } else if (order.field1.find('G') != std::string::npos) {
    const Group* group = std::find_if(std::begin(kGroups), std::end(kGroups), [&](const Group& g) {
      return SameName(order.field2, g.name);
    });
    if (group == std::end(kGroups)) {
      FUZZ_CHECK(sent.empty() && receipt == "Can´t find the " + order.field2 + " group!");
    } else {
      FUZZ_CHECK(sent.size() == static_cast<size_t>(std::count_if(group->members.begin(),
                                                                  group->members.end(), goes)));
    }
  } else {
    FUZZ_CHECK(sent.size() <= 1);
  }
  FUZZ_CHECK(sent.size() <= static_cast<size_t>(kMaxGroupMembers));
  FUZZ_CHECK(window.Control(MainControl::kSend).enabled);
  FUZZ_CHECK(!window.Groups().GroupMode());
  FUZZ_CHECK(!window.State().write_receipt_file);

  SetProgramFileSystem(nullptr);
  peripherals.dialogs.Clear();
  return 0;
}

}  // namespace tolvane
