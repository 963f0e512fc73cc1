#ifndef TOLVANE_PLATFORM_LOCAL_TIME_H_
#define TOLVANE_PLATFORM_LOCAL_TIME_H_

#include <string>

#include "platform/event_loop.h"

namespace tolvane {

// The date in the user's short date format (the C library locale the program
// selected at start-up), local time, as UTF-8 text.
std::string ShortDateText(TimePoint time);

// "HH:MM", 24-hour clock, local time.
std::string HourMinuteText(TimePoint time);

// Local time in a strftime format of fields that are digits only ("%d%m%y").
std::string LocalTimeText(TimePoint time, const char* format);

// "HH:MM:SS", 24-hour clock, local time.
std::string TimeOfDayText(TimePoint time);

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_LOCAL_TIME_H_
