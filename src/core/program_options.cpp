#include "core/program_options.h"

#include <regex>

#include "contacts/contacts_command.h"
#include "core/store_secret_command.h"

namespace tolvane {

ProgramCommand ReadProgramCommand(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return ProgramCommand::kRun;
  const std::string& first = arguments.front();
  if (first == "--help" || first == "-h") return ProgramCommand::kHelp;
  if (first == kStoreSecretOption) return ProgramCommand::kStoreSecret;
  if (first == kResumeOption && arguments.size() == 1) return ProgramCommand::kResume;
  if (first == kServeOption && arguments.size() == 1) return ProgramCommand::kServe;
  if (first == kImportOption || first == kExportOption) return ProgramCommand::kContacts;
  if (first == kNewApiTokenOption && arguments.size() == 1) return ProgramCommand::kNewApiToken;
  static const std::regex kOptionShape("-[A-Za-z]|--[A-Za-z0-9]+(-[A-Za-z0-9]+)*");
  return std::regex_match(first, kOptionShape) ? ProgramCommand::kUnknownOption
                                               : ProgramCommand::kRun;
}

std::string ProgramUsage(const TransportList& transports) {
  return "usage: tolvane [ORDER]\n"
         "       tolvane --resume\n"
         "       tolvane --serve\n"
         "       tolvane --store-secret NAME\n"
         "       tolvane --import FILE [--group NAME]\n"
         "       tolvane --export FILE [--group NAME]\n"
         "       tolvane --new-api-token\n"
         "       tolvane --help\n"
         "Without arguments the main window opens. An ORDER (the arguments, joined\n"
         "by blanks) sends one message three seconds after the start and closes the\n"
         "program; the exit status is 0 when every message was accepted, 1 when one\n"
         "was not, 2 for an order that cannot be carried out. With the default\n"
         "separator \"/\":\n"
         "  N//0701234567//Hello              to one number\n"
         "  N//0701234567,0709876543//Hello   to each number of a list (up to 40)\n"
         "  G//Friends//Hello                 to a group of the phone book\n"
         "  N//0701234567//Hello//svar.txt    and the receipt appended to svar.txt\n"
         "Options:\n"
         "  --resume             continue, without asking, every run cut short (its\n"
         "                       program ended before the run did) and exit; the exit\n"
         "                       status is as for an order, 0 when there was none\n"
         "  --serve              run without a window until SIGTERM or SIGINT: receive,\n"
         "                       autosend, check mail and continue runs cut short,\n"
         "                       without asking; status and errors on standard error\n"
         "  --store-secret NAME  store the secret read as one line from standard input\n"
         "                       and exit; NAME is one of: " +
         SecretNameList(transports) +
         "\n"
         "  --import FILE        bring the contacts of FILE (.csv or .vcf) into the phone\n"
         "                       book and exit; a name already there is skipped; prints\n"
         "                       what was added and each row skipped and why\n"
         "  --export FILE        write the phone book to FILE (.csv or .vcf) and exit\n"
         "  --group NAME         with --import: put everyone imported into the group NAME\n"
         "                       (made when missing); with --export: only its members\n"
         "  --new-api-token      store a new random token for the HTTP API (the secret\n"
         "                       api), print it once and exit\n"
         "  -h, --help           show this text and exit\n"
         "Without a display the program runs without a window.\n";
}

}  // namespace tolvane
