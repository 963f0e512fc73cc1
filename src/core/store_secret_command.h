#ifndef TOLVANE_CORE_STORE_SECRET_COMMAND_H_
#define TOLVANE_CORE_STORE_SECRET_COMMAND_H_

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "core/program_location.h"
#include "core/transport_registry.h"

namespace tolvane {

// `tolvane --store-secret NAME` sets a secret without a window: a server or a
// script feeds the value as one line on standard input.
inline constexpr std::string_view kStoreSecretOption = "--store-secret";
// The longest value taken, in bytes, without its line break.
inline constexpr size_t kMaxSecretLength = 1024;

// Runs the command with the arguments after the option: reads one line from
// `in` and stores it under the name in the program folder of `location`,
// creating a per-user folder when needed and touching nothing else. Returns
// the exit status (kExitAccepted, kExitFailed, or kExitBadOrder for a wrong
// command line); what went wrong goes to `error`, never the secret itself.
int StoreSecret(const std::vector<std::string>& arguments, std::istream& in, std::ostream& error,
                const ProgramLocation& location, const TransportList& transports);

}  // namespace tolvane

#endif  // TOLVANE_CORE_STORE_SECRET_COMMAND_H_
