// emi-sim: the simulated UCP/EMI SMS centre on a loopback port, one client at
// a time, until interrupted. The first line tells the address; every event
// after it is one line. Put the address in tolvmsg.ini as [EMI] Host=... and
// Port=..., the account as User=... and `tolvane --store-secret emi`.
//
//   emi-sim [--port 5000] [--user tolvane] [--password secret]
//           [--refuse-login CODE] [--answer-delay MS] [--submit-delay MS]
//           [--submit-error CODE]... [--notification-state N]...
//           [--notification-delay MS] [--reason RSN] [--alert]
//           [--drop-at-submit N] [--garbage-at-submit N]
//           [--silent-at-submit N] [--ira] [--record FILE]
//           [--deliver FROM TEXT]... [--reversed] [--part-twice N]
//           [--split-after N]
//
// A line "deliver FROM TEXT" on standard input sends a message as well.

#include <QCoreApplication>
#include <QTimer>
#include <functional>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "deliver_lines.h"
#include "sim/sim_delivery.h"
#include "sim/sim_emi_centre.h"
#include "sim/simulator_tool.h"
#include "sim/taken_part.h"
#include "tcp_peer_server.h"

namespace {

using tolvane::sim::CountArgument;
using tolvane::sim::EmiCentreOptions;
using tolvane::sim::SimEmiCentre;

void Usage(std::ostream& out) {
  out << "usage: emi-sim [options]\n"
         "  --port N                 port to listen on, 0 for any free one (5000)\n"
         "  --user NAME              the account's user, the login's OAdC (tolvane)\n"
         "  --password PASSWORD      the account's password (secret)\n"
         "  --refuse-login CODE      refuse every login with this error code, such as 07\n"
         "  --answer-delay MS        from a login, op 31 or submit to its answer (50)\n"
         "  --submit-delay MS        from a submit to its answer (the answer delay)\n"
         "  --submit-error CODE      error code of the next submit's answer (repeatable)\n"
         "  --notification-state N   Dst of a notification for each part (repeatable;"
         " 0)\n"
         "  --notification-delay MS  from the answer to each notification (2000)\n"
         "  --reason RSN             Rsn of notifications that are not delivered (107)\n"
         "  --alert                  send an op 31 before each submit's answer\n"
         "  --drop-at-submit N       drop the connection at submit N (counted from 0)\n"
         "  --garbage-at-submit N    answer submit N with bytes that are no sound frame\n"
         "  --silent-at-submit N     never answer submit N\n"
         "  --ira                    read and write AMsg as ASCII (IRA), not as GSM 03.38\n"
         "  --record FILE            append a line for each part taken, before its answer\n"
         "A notification due while no client is logged in, or left unanswered by a\n"
         "connection that ended, is kept and sent after the next login, in order.\n"
      << tolvane::sim::kDeliverUsage << tolvane::sim::kTakenPartUsage
      << tolvane::sim::kDeliveredPartUsage;
}

std::string Code(const std::string& text) {
  if (text.size() != 2 || text.find_first_not_of("0123456789") != std::string::npos) {
    throw std::invalid_argument("not an error code of two digits: " + text);
  }
  return text;
}

// What the options said beyond the centre's own options.
struct Given {
  int port = 5000;
  bool states = false;
  bool submit_delay = false;
  // Opened as the option is read, so a file that cannot be written is named
  // with the usage.
  std::optional<tolvane::sim::TakenPartFile> record;
  std::vector<tolvane::sim::DeliverOrder> orders;
};

// Takes one option; false when it is not one of the centre's.
bool ParseOption(tolvane::sim::ToolArguments& arguments, Given& given, EmiCentreOptions& options) {
  const std::string& arg = arguments.Option();
  auto value = [&] { return arguments.Value(); };
  if (arg == "--port") {
    given.port = CountArgument(value());
    if (given.port > 65535) throw std::invalid_argument("--port needs 0 to 65535");
  } else if (arg == "--user") {
    options.user = value();
  } else if (arg == "--password") {
    options.password = value();
  } else if (arg == "--refuse-login") {
    options.login_refusal = Code(value());
  } else if (arg == "--answer-delay") {
    options.answer_delay_ms = CountArgument(value());
    if (!given.submit_delay) options.submit_delay_ms = options.answer_delay_ms;
  } else if (arg == "--submit-delay") {
    options.submit_delay_ms = CountArgument(value());
    given.submit_delay = true;
  } else if (arg == "--submit-error") {
    options.submit_errors.push_back(Code(value()));
  } else if (arg == "--notification-state") {
    if (!given.states) options.notification_states.clear();
    given.states = true;
    const int state = CountArgument(value());
    if (state > 2) throw std::invalid_argument("--notification-state needs 0, 1 or 2");
    options.notification_states.push_back(state);
  } else if (arg == "--notification-delay") {
    options.notification_delay_ms = CountArgument(value());
  } else if (arg == "--reason") {
    options.reason = value();
  } else if (arg == "--alert") {
    options.alert_before_answer = true;
  } else if (arg == "--drop-at-submit") {
    options.drop_at_submit = CountArgument(value());
  } else if (arg == "--garbage-at-submit") {
    options.garbage_at_submit = CountArgument(value());
  } else if (arg == "--silent-at-submit") {
    options.silent_at_submit = CountArgument(value());
  } else if (arg == "--record") {
    given.record.emplace(value());
  } else if (arg == "--ira") {
    options.ira = true;
  } else {
    return tolvane::sim::ParseDeliverOption(arguments, false, given.orders, options.delivery);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  Given given;
  EmiCentreOptions options;
  options.submit_delay_ms = options.answer_delay_ms;
  if (const std::optional<int> status = tolvane::sim::ReadToolArguments(
          "emi-sim", argc, argv, Usage, [&](tolvane::sim::ToolArguments& arguments) {
            return ParseOption(arguments, given, options);
          })) {
    return *status;
  }

  SimEmiCentre centre(
      [&app](int ms, std::function<void()> action) {
        // Precise: the answer delay is what a benchmark measures against.
        QTimer::singleShot(ms, Qt::PreciseTimer, &app, std::move(action));
      },
      options);
  centre.SetOnEvent([](const std::string& event) { std::cout << event << std::endl; });
  if (given.record) {
    centre.SetOnTaken([&](const auto& part) { given.record->Write(part); });
    centre.SetOnDelivery(
        [&](const std::string& event, const auto& part) { given.record->WriteEvent(event, part); });
  }
  auto deliver = [&](const tolvane::sim::DeliverOrder& order, std::string& refusal) {
    return centre.Deliver(order, refusal);
  };
  for (const tolvane::sim::DeliverOrder& order : given.orders) {
    std::string refusal;
    if (!deliver(order, refusal)) {
      std::cerr << "emi-sim: --deliver " << order.from << ": " << refusal << "\n";
      return 2;
    }
  }
  tolvane::tools::DeliverLines lines(deliver);

  tolvane::tools::TcpPeerServer server(centre);
  if (!server.Listen("emi-sim", given.port)) return 2;
  return app.exec();
}
