#include "core/store_secret_command.h"

#include <istream>
#include <optional>
#include <ostream>

#include "core/program.h"
#include "core/program_options.h"
#include "core/secret_store.h"
#include "text/text_helpers.h"
#include "text/utf8.h"

namespace tolvane {
namespace {

// The first line of `in` without its LF or CR LF; nullopt once it passes the
// limit (the rest is left unread).
std::optional<std::string> ReadSecretLine(std::istream& in) {
  std::string line;
  for (char c; in.get(c) && c != '\n';) {
    // One byte more than the limit may be the CR of a CR LF.
    if (line.size() > kMaxSecretLength) return std::nullopt;
    line += c;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.size() > kMaxSecretLength) return std::nullopt;
  return line;
}

}  // namespace

int StoreSecret(const std::vector<std::string>& arguments, std::istream& in, std::ostream& error,
                const ProgramLocation& location, const TransportList& transports) {
  // A mistyped command may carry the secret itself, so arguments are never
  // repeated back.
  if (arguments.size() != 1) {
    error << ProgramUsage(transports);
    return kExitBadOrder;
  }
  const std::string& name = arguments.front();
  const SecretRule* rule = FindSecretRule(transports, name);
  if (rule == nullptr) {
    error << "Unknown secret name. NAME is one of: " << SecretNameList(transports) << "\n";
    return kExitBadOrder;
  }
  const std::optional<std::string> line = ReadSecretLine(in);
  if (!line) {
    error << "The secret on standard input is longer than " << kMaxSecretLength << " bytes\n";
    return kExitFailed;
  }
  // Kept as the settings dialog keeps a typed password: without blanks around
  // it.
  const std::string secret = TrimBlanks(*line);
  if (secret.empty()) {
    error << "No secret on standard input\n";
    return kExitFailed;
  }
  if (SanitiseUtf8(secret) != secret) {
    error << "The secret is not UTF-8 text\n";
    return kExitFailed;
  }
  // What the transport could never use is refused here, where it is typed.
  if (const std::string refusal = rule->RefusalOf(secret); !refusal.empty()) {
    error << refusal << "\n";
    return kExitFailed;
  }
  if (!location.PrepareFolder() || !SecretStore(location.Folder()).WriteSecret(name, secret)) {
    error << "Cannot store the secret in " << location.Folder() << "\n";
    return kExitFailed;
  }
  return kExitAccepted;
}

}  // namespace tolvane
