#ifndef TOLVANE_CORE_PROGRAM_OPTIONS_H_
#define TOLVANE_CORE_PROGRAM_OPTIONS_H_

#include <string>
#include <vector>

#include "core/transport_registry.h"

namespace tolvane {

// What the command line asks of the program. Any argument text is an order,
// except a first argument that is one of the options or shaped like one
// ("-x", "--word-word"), which no order can be: an order holds at least two
// doubled separators.
// `--resume` runs like an order, without its text; `--serve` runs without a
// window until it is told to stop; `--import` and `--export` bring contacts
// into the phone book or take them out, without a window.
enum class ProgramCommand {
  kRun,
  kHelp,
  kStoreSecret,
  kNewApiToken,
  kResume,
  kServe,
  kContacts,
  kUnknownOption
};

inline constexpr char kResumeOption[] = "--resume";
inline constexpr char kServeOption[] = "--serve";
inline constexpr char kNewApiTokenOption[] = "--new-api-token";

// `arguments` are those after the program name.
ProgramCommand ReadProgramCommand(const std::vector<std::string>& arguments);

// The usage text of `tolvane`, for --help and a wrong command line.
std::string ProgramUsage(const TransportList& transports);

}  // namespace tolvane

#endif  // TOLVANE_CORE_PROGRAM_OPTIONS_H_
