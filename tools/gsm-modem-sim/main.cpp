// gsm-modem-sim: serves a simulated GSM modem, with its SIM and a network
// behind it, on a pseudo-terminal until interrupted. Put the printed device
// path in tolvmsg.ini as [GSM] Device=... and send from the program. Lines
// on standard input ("deliver +46701234567 Hej!") send messages to it.

#include <poll.h>
#include <unistd.h>
#include <algorithm>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/pty_gsm_modem_server.h"
#include "sim/simulator_tool.h"
#include "sim/taken_part.h"

namespace {

using tolvane::sim::CountArgument;
using tolvane::sim::GsmDelivery;
using tolvane::sim::GsmModemOptions;
using tolvane::sim::PtyGsmModemServer;
using tolvane::sim::SimGsmModem;
using tolvane::sim::ToolArguments;

void Usage(std::ostream& out) {
  out << "usage: gsm-modem-sim [options]\n"
         "SIM:\n"
         "  --sim ready|pin|puk|none  state of the SIM at start (ready)\n"
         "  --pin PIN                 the PIN that unlocks it (1234)\n"
         "  --ready-answer LINE       how AT+CPIN? says READY ('+CPIN: READY'; '' a bare OK)\n"
         "  --sim-busy MS             SIM busy (+CME ERROR: 14) after start and PIN (0)\n"
         "modem:\n"
         "  --no-echo                 do not echo commands\n"
         "  --no-prompt               never prompt for the PDU after AT+CMGS\n"
         "  --silent-after N          answer nothing from the command line N on (counted from 0)\n"
         "  --noise LINE              unsolicited line before every final result (repeatable)\n"
         "  --no-cmms                 answer ERROR to AT+CMMS\n"
         "  --replug-after N          after N submits pulled and put back: the SIM wants its PIN\n"
         "network:\n"
         "  --network-delay MS        from the PDU to +CMGS (2000)\n"
         "  --report-delay MS         from +CMGS to each status report (3000)\n"
         "  --reports routed|stored|both   how status reports may come (both)\n"
         "  --report-status HEX       status of a report, one report each (repeatable; 00)\n"
         "  --submit-error CODE       answer the next submit +CMS ERROR: CODE (repeatable;\n"
         "                            '' lets one through)\n"
         "  --acknowledge-ms MS       how long a routed report waits for AT+CNMA (12000)\n"
         "  --record FILE             append a line for each part the network takes, before\n"
         "                            its +CMGS\n"
         "  --sim-capacity N          messages the SIM holds (30); more wait at the network\n"
         "                            until a deletion makes room\n"
         "  --deliver 'MESSAGE'       a message to the SIM before the program opens the port\n"
         "                            (repeatable); MESSAGE as after 'deliver' below\n"
         "standard input, one line each:\n"
         "  deliver [--parts 3,1,2] [--reference N] [--flash] SENDER TEXT\n"
         "      the network brings TEXT from SENDER (+46701234567, 0701234567 or a name):\n"
         "      stored on the SIM and announced as +CMTI; a long or Unicode text as linked\n"
         "      parts; --parts gives the parts that come, in that order (a part twice, or\n"
         "      some now and the rest after the program restarted, with the --reference\n"
         "      they had); --flash sends it as class 0\n"
      << tolvane::sim::kTakenPartUsage;
}

GsmModemOptions::SimState SimStateOf(const std::string& name) {
  using SimState = GsmModemOptions::SimState;
  if (name == "ready") return SimState::kReady;
  if (name == "pin") return SimState::kPinWanted;
  if (name == "puk") return SimState::kPukWanted;
  if (name == "none") return SimState::kNoSim;
  throw std::invalid_argument("--sim needs ready, pin, puk or none");
}

GsmModemOptions::ReportStyle ReportStyleOf(const std::string& name) {
  using ReportStyle = GsmModemOptions::ReportStyle;
  if (name == "routed") return ReportStyle::kRouted;
  if (name == "stored") return ReportStyle::kStored;
  if (name == "both") return ReportStyle::kBoth;
  throw std::invalid_argument("--reports needs routed, stored or both");
}

int StatusOf(const std::string& hex) {
  size_t end = 0;
  int value = -1;
  try {
    value = std::stoi(hex, &end, 16);
  } catch (const std::exception&) {
  }
  if (end != hex.size() || value < 0 || value > 0xFF) {
    throw std::invalid_argument("--report-status needs one octet in hex: " + hex);
  }
  return value;
}

// What follows "deliver": options, the sender, and the rest of the line as
// the text. Throws std::invalid_argument when the sender or text is missing.
GsmDelivery DeliveryOf(const std::string& line) {
  std::istringstream words(line);
  GsmDelivery delivery;
  std::string word;
  while (words >> word && word.starts_with("--")) {
    std::string value;
    if (word == "--flash") {
      delivery.flash = true;
    } else if (word == "--reference" && words >> value) {
      delivery.reference = CountArgument(value);
    } else if (word == "--parts" && words >> value) {
      std::istringstream parts(value);
      for (std::string part; std::getline(parts, part, ',');) {
        delivery.parts.push_back(CountArgument(part));
      }
    } else {
      throw std::invalid_argument("deliver does not know " + word);
    }
  }
  delivery.sender = word;
  std::getline(words >> std::ws, delivery.text);
  if (delivery.sender.empty() || delivery.text.empty()) {
    throw std::invalid_argument("deliver needs a sender and a text");
  }
  return delivery;
}

// Takes one option into `options`; false for one it does not know.
bool ParseOption(ToolArguments& arguments, GsmModemOptions& options, bool& statuses_given,
                 std::optional<tolvane::sim::TakenPartFile>& record,
                 std::vector<GsmDelivery>& deliveries) {
  const std::string& arg = arguments.Option();
  auto value = [&] { return arguments.Value(); };
  if (arg == "--deliver") {
    deliveries.push_back(DeliveryOf(value()));
  } else if (arg == "--sim-capacity") {
    options.sim_capacity = CountArgument(value());
  } else if (arg == "--record") {
    record.emplace(value());
  } else if (arg == "--sim") {
    options.sim_state = SimStateOf(value());
  } else if (arg == "--pin") {
    options.pin = value();
  } else if (arg == "--ready-answer") {
    options.ready_line = value();
  } else if (arg == "--sim-busy") {
    options.sim_busy_ms = CountArgument(value());
  } else if (arg == "--acknowledge-ms") {
    options.acknowledge_ms = CountArgument(value());
  } else if (arg == "--no-echo") {
    options.echo = false;
  } else if (arg == "--no-prompt") {
    options.prompt = false;
  } else if (arg == "--silent-after") {
    options.silent_after = CountArgument(value());
  } else if (arg == "--noise") {
    options.noise.push_back(value());
  } else if (arg == "--replug-after") {
    options.replug_after_submits = CountArgument(value());
  } else if (arg == "--no-cmms") {
    options.cmms_supported = false;
  } else if (arg == "--network-delay") {
    options.network_delay_ms = CountArgument(value());
  } else if (arg == "--report-delay") {
    options.report_delay_ms = CountArgument(value());
  } else if (arg == "--reports") {
    options.report_style = ReportStyleOf(value());
  } else if (arg == "--report-status") {
    if (!statuses_given) options.report_statuses.clear();
    statuses_given = true;
    options.report_statuses.push_back(StatusOf(value()));
  } else if (arg == "--submit-error") {
    options.submit_errors.push_back(value());
  } else {
    return false;
  }
  return true;
}

std::string HexOctet(int value) {
  char text[4];
  std::snprintf(text, sizeof text, "%02X", value);
  return text;
}

// How far the log has got through each of the modem's records.
struct Printed {
  size_t commands = 0;
  size_t submissions = 0;
  size_t reports = 0;
  int pin_tries = 0;
  int escapes = 0;
  int acknowledgements = 0;
  int deletions = 0;
  size_t stored = 0;
  size_t waiting = 0;
};

// Prints one line for each count the modem has gone past since the last call.
void Repeat(int now, int& printed, const char* line) {
  for (; printed < now; ++printed) std::cout << line << std::endl;
}

// Prints what happened on the line since the last call.
void Report(const SimGsmModem& modem, Printed& printed) {
  const auto& commands = modem.Commands();
  for (; printed.commands < commands.size(); ++printed.commands) {
    std::cout << "command " << commands[printed.commands] << std::endl;
  }
  const auto& submissions = modem.Submissions();
  for (; printed.submissions < submissions.size(); ++printed.submissions) {
    const auto& submit = submissions[printed.submissions];
    std::cout << "submit to " << submit.recipient << " mr " << submit.reference << " report "
              << (submit.report_requested ? "yes" : "no") << " part "
              << std::max(1, submit.part.part) << "/" << submit.part.parts << " octets "
              << submit.declared_octets << " tpdu " << submit.tpdu_hex << std::endl;
  }
  const auto& reports = modem.Reports();
  for (; printed.reports < reports.size(); ++printed.reports) {
    const auto& report = reports[printed.reports];
    std::cout << "report mr " << report.reference << " status " << HexOctet(report.status)
              << (report.stored_index == 0 ? " routed"
                                           : " stored " + std::to_string(report.stored_index))
              << std::endl;
  }
  Repeat(modem.PinTries(), printed.pin_tries, "pin tried");
  Repeat(modem.Escapes(), printed.escapes, "escape");
  Repeat(modem.Acknowledgements(), printed.acknowledgements, "acknowledgement");
  Repeat(modem.Deletions(), printed.deletions, "deletion");
  if (modem.Stored().size() != printed.stored || modem.Waiting() != printed.waiting) {
    printed.stored = modem.Stored().size();
    printed.waiting = modem.Waiting();
    std::cout << "sim holds " << printed.stored << " waiting " << printed.waiting << std::endl;
  }
}

// Delivers the message of each "deliver" line on standard input, as the
// lines come; nothing more once standard input ends.
class InputLines {
 public:
  void Serve(SimGsmModem& modem) {
    if (ended_) return;
    pollfd input{STDIN_FILENO, POLLIN, 0};
    if (poll(&input, 1, 0) <= 0) return;
    char bytes[4096];
    const ssize_t count = read(STDIN_FILENO, bytes, sizeof bytes);
    if (count <= 0) {
      ended_ = true;
      return;
    }
    pending_.append(bytes, static_cast<size_t>(count));
    for (size_t end; (end = pending_.find('\n')) != std::string::npos;) {
      std::string line = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      Handle(modem, line);
    }
  }

 private:
  static void Handle(SimGsmModem& modem, const std::string& line) {
    if (line.empty()) return;
    if (!line.starts_with("deliver ")) {
      std::cerr << "gsm-modem-sim: unknown line: " << line << std::endl;
      return;
    }
    try {
      if (!modem.Deliver(DeliveryOf(line.substr(8)))) {
        std::cerr << "gsm-modem-sim: cannot deliver: " << line << std::endl;
      }
    } catch (const std::exception& error) {
      std::cerr << "gsm-modem-sim: " << error.what() << std::endl;
    }
  }

  bool ended_ = false;
  std::string pending_;
};

}  // namespace

int main(int argc, char** argv) {
  GsmModemOptions options;
  bool statuses_given = false;
  std::optional<tolvane::sim::TakenPartFile> record;
  std::vector<GsmDelivery> deliveries;
  return tolvane::sim::RunSimulatorTool(
      "gsm-modem-sim", argc, argv, Usage,
      [&](ToolArguments& arguments) {
        return ParseOption(arguments, options, statuses_given, record, deliveries);
      },
      [&](const volatile std::sig_atomic_t& stop) {
        PtyGsmModemServer server(options);
        if (record) server.Modem().SetOnTaken([&](const auto& part) { record->Write(part); });
        std::cout << server.DevicePath() << std::endl;
        std::cerr << "gsm-modem-sim: put this in tolvmsg.ini:\n  [Access]\n  AccessTyp=GSM\n"
                     "  [GSM]\n  Device="
                  << server.DevicePath() << "\nCtrl-C ends.\n";
        for (const GsmDelivery& delivery : deliveries) {
          if (!server.Modem().Deliver(delivery)) {
            throw std::invalid_argument("cannot deliver from " + delivery.sender);
          }
        }
        Printed printed;
        InputLines input;
        while (!stop) {
          server.Poll(100);
          input.Serve(server.Modem());
          Report(server.Modem(), printed);
        }
      });
}
