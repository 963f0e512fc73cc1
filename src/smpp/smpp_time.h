#ifndef TOLVANE_SMPP_SMPP_TIME_H_
#define TOLVANE_SMPP_SMPP_TIME_H_

#include <ctime>
#include <string>

namespace tolvane {

// SMPP 3.4 times, "YYMMDDhhmmsstnnp". An absolute time is written in UTC
// ("000+": no tenths, no offset); a relative one as years, months, days,
// hours and minutes from now ("000R").
std::string SmppAbsoluteTime(std::time_t utc);
// `minutes` above zero; a month counts 30 days and a year 12 months, as
// the form has no room for more than 99 of each.
std::string SmppRelativeTime(long minutes);

}  // namespace tolvane

#endif  // TOLVANE_SMPP_SMPP_TIME_H_
