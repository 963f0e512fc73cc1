#ifndef TOLVANE_INBOX_INBOX_SETTINGS_H_
#define TOLVANE_INBOX_INBOX_SETTINGS_H_

#include <string>

namespace tolvane {

// The [Inbox] section of tolvmsg.ini: whether a transport that can receive
// keeps its session while the program runs (Listen, 1 or 0); how many hours
// the parts of a linked message wait for the rest before it is stored as it
// is (PartsWait); the words that, as a whole message, take a number off the
// lists (StopWords) and put it back (StartWords), separated by commas.
inline constexpr char kInboxSection[] = "Inbox";
inline constexpr char kListenKey[] = "Listen";
inline constexpr char kPartsWaitKey[] = "PartsWait";
inline constexpr char kStopWordsKey[] = "StopWords";
inline constexpr char kStartWordsKey[] = "StartWords";

inline constexpr int kDefaultPartsWaitHours = 24;
inline constexpr char kDefaultStopWords[] = "STOP,STOPP,AVSLUTA";
inline constexpr char kDefaultStartWords[] = "START";

struct InboxSettings {
  bool Listen = true;
  int PartsWait = kDefaultPartsWaitHours;
  std::string StopWords = kDefaultStopWords;
  std::string StartWords = kDefaultStartWords;
  bool operator==(const InboxSettings&) const = default;
};

// "0" turns listening off; anything else, the key missing too, leaves it on.
bool ListenSetting(const std::string& text);
// A whole number of hours from 1 on, otherwise the default.
int PartsWaitSetting(const std::string& text);

}  // namespace tolvane

#endif  // TOLVANE_INBOX_INBOX_SETTINGS_H_
