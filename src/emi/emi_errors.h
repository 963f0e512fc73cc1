#ifndef TOLVANE_EMI_EMI_ERRORS_H_
#define TOLVANE_EMI_EMI_ERRORS_H_

#include <string>
#include <string_view>

namespace tolvane {

// The error code of an SMS centre's negative answer as the receipt line and
// the log show it: "07 authentication failure"; a code the table lacks as
// "42 error", and a missing one as "no error code".
std::string EmiErrorText(std::string_view code);

// Whether the same submit may go again after a pause: the centre could not
// read it (01 checksum, 02 syntax) or is short of room for now (37, 50,
// the proprietary 90 to 99). Every other code is for good.
bool IsTransientEmiError(std::string_view code);

// The reason (Rsn) of a notification that a message was not delivered or is
// buffered: "107 absent subscriber"; an unknown code as "reason 123".
std::string EmiReasonText(std::string_view reason);

}  // namespace tolvane

#endif  // TOLVANE_EMI_EMI_ERRORS_H_
