// smpp-sim: the simulated SMPP provider on a loopback port, one client at a
// time, until interrupted. The first line tells the address; every event
// after it is one line. Put the address in tolvmsg.ini as [SMPP] Host=...
// and Port=..., the account as SystemId=... and `tolvane --store-secret smpp`.
//
//   smpp-sim [--port 2775] [--system-id tolvane] [--password secret]
//            [--refuse-bind HEX] [--answer-delay MS] [--submit-delay MS]
//            [--submit-status HEX]... [--receipt-state N]... [--receipt-delay MS]
//            [--receipts-first] [--silent-link]
//            [--enquire] [--drop-at-submit N] [--garbage-at-submit N]
//            [--tls CERTIFICATE KEY] [--record FILE]
//            [--deliver FROM TEXT]... [--reversed] [--part-twice N]
//            [--split-after N] [--sar] [--payload]
//
// A line "deliver FROM TEXT" on standard input sends a message as well.

#include <QCoreApplication>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "deliver_lines.h"
#include "sim/sim_delivery.h"
#include "sim/sim_smpp_provider.h"
#include "sim/simulator_tool.h"
#include "sim/taken_part.h"
#include "tcp_peer_server.h"

namespace {

using tolvane::sim::CountArgument;
using tolvane::sim::SimSmppProvider;
using tolvane::sim::SmppProviderOptions;

void Usage(std::ostream& out) {
  out << "usage: smpp-sim [options]\n"
         "  --port N               port to listen on, 0 for any free one (2775)\n"
         "  --system-id ID         the account's system id (tolvane)\n"
         "  --password PASSWORD    the account's password (secret)\n"
         "  --refuse-bind HEX      refuse every bind with this status\n"
         "  --answer-delay MS      from a request to its answer (50)\n"
         "  --submit-delay MS      from a submit to its answer (300)\n"
         "  --submit-status HEX    status of the next submit's answer (repeatable)\n"
         "  --receipt-state N      message_state of a receipt for each part (repeatable;"
         " 2)\n"
         "  --receipt-delay MS     from the answer to each receipt (2000)\n"
         "  --receipts-first       send a submit's receipts before its answer\n"
         "  --silent-link          leave the client's enquire_link unanswered\n"
         "  --enquire              send enquire_link before each submit's answer\n"
         "  --drop-at-submit N     drop the connection at submit N (counted from 0)\n"
         "  --garbage-at-submit N  answer submit N with bytes that are not SMPP\n"
         "  --tls CERT KEY         speak TLS with this PEM certificate (chain) and key\n"
         "  --record FILE          append a line for each part taken, before its answer\n"
         "A receipt due while no client is bound, or left unanswered by a connection that\n"
         "ended, is kept and sent after the next bind, in order.\n"
      << tolvane::sim::kDeliverUsage << tolvane::sim::kSmppDeliverUsage
      << tolvane::sim::kTakenPartUsage << tolvane::sim::kDeliveredPartUsage;
}

// A command status, in hexadecimal as the protocol's tables give it.
uint32_t StatusArgument(const std::string& text) {
  size_t end = 0;
  unsigned long value = 0;
  try {
    value = std::stoul(text, &end, 16);
  } catch (const std::exception&) {
    end = 0;
  }
  if (end == 0 || end != text.size() || value > 0xFFFFFFFF) {
    throw std::invalid_argument("not a hexadecimal status: " + text);
  }
  return static_cast<uint32_t>(value);
}

// Where the provider listens, and with what TLS identity when it speaks TLS.
struct Listening {
  int port = 2775;
  std::string certificate;
  std::string key;
  // The first --receipt-state replaces the default list.
  bool states_given = false;
  // Opened as the option is read, so a file that cannot be written is named
  // with the usage.
  std::optional<tolvane::sim::TakenPartFile> record;
  std::vector<tolvane::sim::DeliverOrder> orders;
};

// Takes one option into `listening` and `options`; false when it does not
// know it.
bool ParseOption(tolvane::sim::ToolArguments& arguments, Listening& listening,
                 SmppProviderOptions& options) {
  const std::string& arg = arguments.Option();
  auto value = [&] { return arguments.Value(); };
  if (arg == "--port") {
    listening.port = CountArgument(value());
    if (listening.port > 65535) throw std::invalid_argument("--port needs 0 to 65535");
  } else if (arg == "--system-id") {
    options.system_id = value();
  } else if (arg == "--password") {
    options.password = value();
  } else if (arg == "--refuse-bind") {
    options.bind_refusal = StatusArgument(value());
  } else if (arg == "--answer-delay") {
    options.answer_delay_ms = CountArgument(value());
  } else if (arg == "--submit-delay") {
    options.submit_delay_ms = CountArgument(value());
  } else if (arg == "--submit-status") {
    options.submit_statuses.push_back(StatusArgument(value()));
  } else if (arg == "--receipt-state") {
    if (!listening.states_given) options.receipt_states.clear();
    listening.states_given = true;
    options.receipt_states.push_back(static_cast<uint8_t>(CountArgument(value())));
  } else if (arg == "--receipt-delay") {
    options.receipt_delay_ms = CountArgument(value());
  } else if (arg == "--receipts-first") {
    options.receipts_before_answer = true;
  } else if (arg == "--silent-link") {
    options.answers_enquire_link = false;
  } else if (arg == "--enquire") {
    options.enquire_before_answer = true;
  } else if (arg == "--drop-at-submit") {
    options.drop_at_submit = CountArgument(value());
  } else if (arg == "--garbage-at-submit") {
    options.garbage_at_submit = CountArgument(value());
  } else if (arg == "--record") {
    listening.record.emplace(value());
  } else if (arg == "--tls") {
    listening.certificate = value();
    listening.key = value();
  } else {
    return tolvane::sim::ParseDeliverOption(arguments, true, listening.orders, options.delivery);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  Listening listening;
  SmppProviderOptions options;
  // As a provider does: receipts wait for the account's next bind.
  options.keep_receipts = true;
  if (const std::optional<int> status = tolvane::sim::ReadToolArguments(
          "smpp-sim", argc, argv, Usage, [&](tolvane::sim::ToolArguments& arguments) {
            return ParseOption(arguments, listening, options);
          })) {
    return *status;
  }

  SimSmppProvider provider(
      [&app](int ms, std::function<void()> action) {
        QTimer::singleShot(ms, &app, std::move(action));
      },
      options);
  provider.SetOnEvent([](const std::string& event) { std::cout << event << std::endl; });
  if (listening.record) {
    provider.SetOnTaken([&](const auto& part) { listening.record->Write(part); });
    provider.SetOnDelivery([&](const std::string& event, const auto& part) {
      listening.record->WriteEvent(event, part);
    });
  }
  auto deliver = [&](const tolvane::sim::DeliverOrder& order, std::string& refusal) {
    return provider.Deliver(order, refusal);
  };
  for (const tolvane::sim::DeliverOrder& order : listening.orders) {
    std::string refusal;
    if (!deliver(order, refusal)) {
      std::cerr << "smpp-sim: --deliver " << order.from << ": " << refusal << "\n";
      return 2;
    }
  }
  tolvane::tools::DeliverLines lines(deliver);

  tolvane::tools::TcpPeerServer server(provider);
  if (!listening.certificate.empty() &&
      !server.UseTls("smpp-sim", listening.certificate, listening.key)) {
    return 2;
  }
  if (!server.Listen("smpp-sim", listening.port)) return 2;
  return app.exec();
}
