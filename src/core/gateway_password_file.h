#ifndef TOLVANE_CORE_GATEWAY_PASSWORD_FILE_H_
#define TOLVANE_CORE_GATEWAY_PASSWORD_FILE_H_

#include <string>

namespace tolvane {

// user.dat in the program's folder holds the gateway account password,
// encrypted, on two CR LF lines: a decoy line (prefix, encrypted text,
// suffix) and the encrypted text alone. Only the second line is read.

inline constexpr const char* kGatewayPasswordFileName = "user.dat";
// The key built into the program: user.dat is encrypted under it, and every
// other stored secret under it joined with the secret's name (SecretStore).
inline constexpr const char* kPasswordKey = "Kvittoma";

// The stored password; empty when the file is missing, unreadable, damaged,
// tampered with or written under another key.
std::string ReadGatewayPassword(const std::string& program_folder);

// Replaces user.dat with the password. An empty password leaves the file as
// it is (and succeeds). False when the file cannot be written.
bool WriteGatewayPassword(const std::string& program_folder, const std::string& password);

}  // namespace tolvane

#endif  // TOLVANE_CORE_GATEWAY_PASSWORD_FILE_H_
