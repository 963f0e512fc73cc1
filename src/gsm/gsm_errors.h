#ifndef TOLVANE_GSM_GSM_ERRORS_H_
#define TOLVANE_GSM_GSM_ERRORS_H_

#include <string>
#include <string_view>

namespace tolvane {

// What an error answer of the GSM modem means, for the receipt line: "SMS
// centre unknown (+CMS ERROR: 330)", "no SIM card (+CME ERROR: 10)", or the
// line itself for a code of the maker's own.
std::string GsmErrorText(std::string_view final_line);

// Errors that pass (the modem busy, the network slow): the part is tried
// again after a pause.
bool IsPassingGsmError(std::string_view final_line);

// Errors after the message left (the network's answer never came): it may
// have arrived, so it is not sent again.
bool IsUnknownGsmOutcome(std::string_view final_line);

// The SIM wants its PIN (+CME ERROR: 11, +CMS ERROR: 311): it has started
// anew.
bool IsSimPinWanted(std::string_view final_line);

}  // namespace tolvane

#endif  // TOLVANE_GSM_GSM_ERRORS_H_
