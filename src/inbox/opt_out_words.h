#ifndef TOLVANE_INBOX_OPT_OUT_WORDS_H_
#define TOLVANE_INBOX_OPT_OUT_WORDS_H_

#include <set>
#include <string>
#include <string_view>

namespace tolvane {

// The words with which a sender takes their number off the program's lists
// or puts it back. A message counts when its whole text is one of them,
// whatever its case, spaces and punctuation ("Stopp!" and " s t o p " both
// stop).
class OptOutWords {
 public:
  enum class Meaning { kNone, kStop, kStart };

  // Comma-separated lists, as `[Inbox] StopWords` and `StartWords` hold them.
  OptOutWords(std::string_view stop_words, std::string_view start_words);

  Meaning Of(std::string_view text) const;

 private:
  std::set<std::string> stop_;
  std::set<std::string> start_;
};

}  // namespace tolvane

#endif  // TOLVANE_INBOX_OPT_OUT_WORDS_H_
