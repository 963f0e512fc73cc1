// modem-sim: serves a simulated Hayes modem and UCP SMS centre on a
// pseudo-terminal until interrupted. Put the printed device path in
// tolvmsg.ini as [Modem] Device=... and send from the program.

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "sim/pty_modem_server.h"
#include "sim/simulator_tool.h"

namespace {

using tolvane::sim::CountArgument;
using tolvane::sim::ModemOptions;
using tolvane::sim::PtyModemServer;
using tolvane::sim::SmscOptions;
using tolvane::sim::ToolArguments;

void Usage(std::ostream& out) {
  out << "usage: modem-sim [options]\n"
         "modem:\n"
         "  --no-echo               do not echo commands\n"
         "  --init ok|error|silent  answer to the initialisation string (ok)\n"
         "  --busy N                answer BUSY to the first N dials (0)\n"
         "  --dial connect|nodialtone|nocarrier|silent   dial outcome (connect)\n"
         "  --connect-text TEXT     result text of a connect (CONNECT 9600)\n"
         "  --dial-delay MS         from the dial to its result (3000)\n"
         "SMS centre:\n"
         "  --negative CODE         answer the next submit negatively (repeatable)\n"
         "  --refuse NUMBER=CODE    answer every submit to NUMBER negatively (repeatable)\n"
         "  --no-answer             never answer a submit\n"
         "  --no-notify             send no delivery notification\n"
         "  --answer-delay MS       (1500)   --notify-delay MS (6000)\n"
         "  --split N               each answer in N reads\n"
         "  --together              answer and notification in one read\n"
         "  --noise TEXT            line noise before every frame\n"
         "  --checksum ok|wrong|lower   checksum of the notification (ok)\n"
         "  --drop-carrier          hang up instead of answering the first submit\n";
}

// Takes one option into the modem's or the centre's options; false for one it
// does not know.
bool ParseOption(ToolArguments& arguments, ModemOptions& modem, SmscOptions& smsc) {
  const std::string& arg = arguments.Option();
  auto value = [&] { return arguments.Value(); };
  if (arg == "--no-echo") {
    modem.echo = false;
  } else if (arg == "--init") {
    std::string v = value();
    modem.init_reply = v == "error"    ? ModemOptions::InitReply::kError
                       : v == "silent" ? ModemOptions::InitReply::kSilent
                                       : ModemOptions::InitReply::kOk;
  } else if (arg == "--busy") {
    modem.busy_count = CountArgument(value());
  } else if (arg == "--dial") {
    std::string v = value();
    modem.outcome = v == "nodialtone"  ? ModemOptions::DialOutcome::kNoDialtone
                    : v == "nocarrier" ? ModemOptions::DialOutcome::kNoCarrier
                    : v == "silent"    ? ModemOptions::DialOutcome::kSilent
                                       : ModemOptions::DialOutcome::kConnect;
  } else if (arg == "--connect-text") {
    modem.connect_text = value();
  } else if (arg == "--dial-delay") {
    modem.dial_delay_ms = CountArgument(value());
  } else if (arg == "--negative") {
    smsc.negative_codes.push_back(value());
  } else if (arg == "--refuse") {
    std::string v = value();
    size_t equals = v.find('=');
    if (equals == std::string::npos) throw std::invalid_argument("--refuse needs NUMBER=CODE");
    smsc.refused_recipients[v.substr(0, equals)] = v.substr(equals + 1);
  } else if (arg == "--no-answer") {
    smsc.answer = false;
  } else if (arg == "--no-notify") {
    smsc.notify = false;
  } else if (arg == "--answer-delay") {
    smsc.answer_delay_ms = CountArgument(value());
  } else if (arg == "--notify-delay") {
    smsc.notify_delay_ms = CountArgument(value());
  } else if (arg == "--split") {
    smsc.split_reads = CountArgument(value());
  } else if (arg == "--together") {
    smsc.together = true;
  } else if (arg == "--noise") {
    smsc.noise = value();
  } else if (arg == "--checksum") {
    std::string v = value();
    smsc.notification_checksum = v == "wrong"   ? SmscOptions::ChecksumFault::kWrong
                                 : v == "lower" ? SmscOptions::ChecksumFault::kLowerCase
                                                : SmscOptions::ChecksumFault::kNone;
  } else if (arg == "--drop-carrier") {
    smsc.drop_carrier_after_submit = true;
  } else {
    return false;
  }
  return true;
}

// Prints what happened on the line since the last call.
void Report(PtyModemServer& server, size_t& commands, size_t& submits, size_t& acks,
            size_t& problems) {
  const auto& c = server.Modem().Commands();
  for (; commands < c.size(); ++commands) std::cout << "modem: " << c[commands] << std::endl;
  const auto& s = server.Smsc().Submits();
  for (; submits < s.size(); ++submits) std::cout << "smsc: submit " << s[submits] << std::endl;
  const auto& a = server.Smsc().Acknowledgements();
  for (; acks < a.size(); ++acks) std::cout << "smsc: acknowledgement " << a[acks] << std::endl;
  const auto& p = server.Smsc().Problems();
  for (; problems < p.size(); ++problems) std::cout << "smsc: PROBLEM " << p[problems] << std::endl;
}

}  // namespace

int main(int argc, char** argv) {
  ModemOptions modem;
  modem.dial_delay_ms = 3000;
  SmscOptions smsc;
  return tolvane::sim::RunSimulatorTool(
      "modem-sim", argc, argv, Usage,
      [&](ToolArguments& arguments) { return ParseOption(arguments, modem, smsc); },
      [&](const volatile std::sig_atomic_t& stop) {
        PtyModemServer server(modem, smsc);
        std::cout << server.DevicePath() << std::endl;
        std::cerr << "modem-sim: put this in tolvmsg.ini:\n  [Modem]\n  Device="
                  << server.DevicePath() << "\nCtrl-C ends.\n";
        size_t commands = 0, submits = 0, acks = 0, problems = 0;
        while (!stop) {
          server.Poll(100);
          Report(server, commands, submits, acks, problems);
        }
      });
}
