#ifndef TOLVANE_PLATFORM_MAIL_ERRORS_H_
#define TOLVANE_PLATFORM_MAIL_ERRORS_H_

#include <string>

namespace tolvane {

// Failure numbers of the mail component: socket errors (10000 upward, 11000
// upward for name look-ups) and the component's own (20000 upward).
enum MailError : int {
  kMailErrorInvalidArgument = 10022,
  kMailErrorHostUnknown = 11001,
  kMailErrorNotConnected = 10057,
  kMailErrorConnectionReset = 10054,
  kMailErrorConnectionRefused = 10061,
  kMailErrorDisconnected = 10101,
  kMailErrorUnexpectedResponse = 20002,
  kMailErrorLoginFailed = 20004,
  kMailErrorAlreadyConnected = 20005,
  kMailErrorBusy = 20006,
  kMailErrorTimedOut = 20008,
  kMailErrorInvalidUserName = 20011,
  kMailErrorInvalidPassword = 20012,
};

// The text the main window shows for a failure number; "Unknown error." for
// a number it does not know.
std::string MailErrorText(int number);

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_MAIL_ERRORS_H_
