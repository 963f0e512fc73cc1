#ifndef TOLVANE_SMS_MESSAGE_SETTINGS_H_
#define TOLVANE_SMS_MESSAGE_SETTINGS_H_

#include <string>

namespace tolvane {

// The [Message] section of tolvmsg.ini: how many parts a message may have
// (MaxParts, 1 to 255) and how long the service centre keeps trying to
// deliver it (Validity, in minutes); how many parts may go over one
// transport in any minute (PerMinute) and in a calendar day (PerDay), 0 for
// no limit; and after how many minutes past its time a delayed message the
// program still holds is refused as late (LateAfter, 0: never).
inline constexpr char kMessageSection[] = "Message";
inline constexpr char kMaxPartsKey[] = "MaxParts";
inline constexpr char kValidityKey[] = "Validity";
inline constexpr char kPerMinuteKey[] = "PerMinute";
inline constexpr char kPerDayKey[] = "PerDay";
inline constexpr char kLateAfterKey[] = "LateAfter";

inline constexpr int kDefaultMaxParts = 6;
inline constexpr int kLeastMaxParts = 1;
// The part count of the concatenation header is one octet.
inline constexpr int kMostMaxParts = 255;
inline constexpr int kDefaultValidityMinutes = 1440;
inline constexpr int kDefaultLateAfterMinutes = 60;

// The stored texts as values: a whole number in range, otherwise the default.
int MaxPartsSetting(const std::string& text);
// Any whole number of minutes from 0 on; the service centre is given the
// next period it knows of that is not shorter.
int ValiditySetting(const std::string& text);
// A whole number of parts from 0 on; anything else is 0, no limit.
int RateSetting(const std::string& text);
// Any whole number of minutes from 0 on, otherwise the default.
int LateAfterSetting(const std::string& text);

}  // namespace tolvane

#endif  // TOLVANE_SMS_MESSAGE_SETTINGS_H_
