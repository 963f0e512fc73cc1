#ifndef TOLVANE_CORE_TIME_OF_DAY_H_
#define TOLVANE_CORE_TIME_OF_DAY_H_

#include <optional>
#include <string>

namespace tolvane {

// A time of day as the settings hold it (AutoTid, MailTid1 to MailTid10).
struct TimeOfDay {
  int hour = 0;    // 0 to 23
  int minute = 0;  // 0 to 59

  // "h:mm" or "hh:mm" on the 24-hour clock, blanks around it allowed, as a
  // hand-written tolvmsg.ini may hold it; nullopt for anything else.
  static std::optional<TimeOfDay> Parse(const std::string& text);
  // "hh:mm".
  std::string Text() const;
};

// An hour or a minute as it is written in a time: two digits ("07").
std::string TwoDigits(int number);

// A stored time as "hh:mm" ("7:05" becomes "07:05"); a text that is no time
// of day stays as it is, so it matches no time.
std::string NormalizedTimeOfDay(const std::string& text);

}  // namespace tolvane

#endif  // TOLVANE_CORE_TIME_OF_DAY_H_
