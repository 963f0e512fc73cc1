#ifndef TOLVANE_API_NEW_API_TOKEN_H_
#define TOLVANE_API_NEW_API_TOKEN_H_

#include <iosfwd>
#include <string>
#include <string_view>

#include "core/program_location.h"
#include "core/secret_names.h"

namespace tolvane {

// A new bearer token: 32 random bytes from libsodium as base64url without
// padding (43 characters).
std::string NewApiToken();

// `tolvane --new-api-token`: stores a new token as the secret `api` in the
// program folder of `location` and prints it once on `out`; false, with
// the reason on `error`, when it cannot be stored.
bool StoreNewApiToken(std::ostream& out, std::ostream& error, const ProgramLocation& location);

}  // namespace tolvane

#endif  // TOLVANE_API_NEW_API_TOKEN_H_
