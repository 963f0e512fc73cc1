#include "inbox/opt_out_words.h"

#include <utf8proc.h>

#include "platform/name_key.h"
#include "text/utf8.h"

namespace tolvane {

namespace {

// The letters and digits of the text, case folded.
std::string WordKey(std::string_view text) {
  std::u32string kept;
  for (char32_t c : DecodeUtf8(NameKey(text))) {
    const utf8proc_category_t category = utf8proc_category(static_cast<utf8proc_int32_t>(c));
    if ((category >= UTF8PROC_CATEGORY_LU && category <= UTF8PROC_CATEGORY_LO) ||
        (category >= UTF8PROC_CATEGORY_ND && category <= UTF8PROC_CATEGORY_NO)) {
      kept += c;
    }
  }
  return EncodeUtf8(kept);
}

std::set<std::string> WordKeys(std::string_view list) {
  std::set<std::string> keys;
  while (!list.empty()) {
    const size_t comma = list.find(',');
    const std::string key = WordKey(list.substr(0, comma));
    if (!key.empty()) keys.insert(key);
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return keys;
}

}  // namespace

OptOutWords::OptOutWords(std::string_view stop_words, std::string_view start_words)
    : stop_(WordKeys(stop_words)), start_(WordKeys(start_words)) {}

OptOutWords::Meaning OptOutWords::Of(std::string_view text) const {
  const std::string key = WordKey(text);
  if (stop_.contains(key)) return Meaning::kStop;
  if (start_.contains(key)) return Meaning::kStart;
  return Meaning::kNone;
}

}  // namespace tolvane
