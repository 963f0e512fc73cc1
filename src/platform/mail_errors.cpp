#include "platform/mail_errors.h"

#include <algorithm>
#include <iterator>

namespace tolvane {
namespace {

struct ErrorText {
  int number;
  const char* text;
};

constexpr ErrorText kTexts[] = {
    {10004, "System level interrupt interrupted socket operation."},
    {10009, "Generic error for invalid format, bad format."},
    {10013, "Generic error for access violation."},
    {10014, "Generic error for fault."},
    {10022, "Generic error for invalid format, entry, etc."},
    {10024, "Generic file error."},
    {10025, "The IP address provided is not valid or the host specified by the IP does not exist."},
    {10036, "Function already in progress."},
    {10037, "The asynchronous routine being canceled has already completed."},
    {10038, "Invalid socket or not connected to remote."},
    {10039, "A destination address is required."},
    {10041, "The specified port is the wrong type for this socket."},
    {10042, "The option is unknown or unsupported."},
    {10043, "The specified port is not supported."},
    {10044, "The specified socket type is not supported in this address family."},
    {10045, "The referenced socket is not a type that supports connection-oriented service."},
    {10047, "Addresses in the specified family cannot be used with this socket."},
    {10048, "The specified address is already in use."},
    {10049, "The specified address is not available."},
    {10050, "The connected network is not available."},
    {10051, "The connected network is not reachable."},
    {10052, "The connected network connection has been reset."},
    {10053, "The current connection has been aborted by the network or intermediate services."},
    {10054, "The current socket connection has been reset."},
    {10055, "No buffer space is available. The socket cannot be connected."},
    {10056, "The socket is already connected."},
    {10057, "The current socket has not been connected."},
    {10058, "The connection has been shutdown."},
    {10060, "The current connection has timed out."},
    {10061, "The requested connection has been refused by the remote host."},
    {10063, "Specified host name is too long."},
    {10064, "Remote host is currently unavailable."},
    {10065, "Remote host is currently unreachable."},
    {10091, "Remote system is not ready."},
    {10092, "Current socket version not supported by application."},
    {10093, "Socket API is not initialized."},
    {10101, "Socket has been disconnected."},
    {11001, "Remote host could not be found."},
    {11002, "Remote host could not be found, try again."},
    {11004, "Remote host could not be found."},
    {20001, "Internal control state error."},
    {20002, "Unexpected server response."},
    {20003, "Login required."},
    {20004, "Login failed."},
    {20005, "Already connected to server."},
    {20006, "Busy executing asynchronous command."},
    {20007, "Can't change blocking mode, busy or connected to server."},
    {20008, "Operation timed out."},
    {20009, "Cannot Ascend, already at top level of message."},
    {20010, "Cannot Descend, message has no parts."},
    {20011, "Invalid user name."},
    {20012, "Invalid password."},
};

}  // namespace

std::string MailErrorText(int number) {
  auto found = std::find_if(std::begin(kTexts), std::end(kTexts),
                            [number](const ErrorText& entry) { return entry.number == number; });
  return found == std::end(kTexts) ? "Unknown error." : found->text;
}

}  // namespace tolvane
