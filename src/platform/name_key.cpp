#include "platform/name_key.h"

#include <utf8proc.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>

#include "text/utf8.h"

namespace tolvane {
namespace {

constexpr std::string_view kSharpS = "\xC3\x9F";             // U+00DF
constexpr std::string_view kCapitalSharpS = "\xE1\xBA\x9E";  // U+1E9E

std::string Fold(std::string_view utf8) {
  if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return (c & 0x80) == 0; })) {
    std::string folded(utf8);
    for (char& c : folded) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
  }
  utf8proc_uint8_t* mapped = nullptr;
  const auto options =
      static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE | UTF8PROC_CASEFOLD);
  const utf8proc_ssize_t size =
      utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(utf8.data()),
                   static_cast<utf8proc_ssize_t>(utf8.size()), &mapped, options);
  if (size == UTF8PROC_ERROR_NOMEM) throw std::bad_alloc();
  if (size < 0) {
    // Malformed UTF-8 (written by another tool) folds as the program reads
    // it, the bad bytes as U+FFFD.
    return Fold(SanitiseUtf8(utf8));
  }
  std::unique_ptr<utf8proc_uint8_t, decltype(&std::free)> owned(mapped, std::free);
  return std::string(reinterpret_cast<const char*>(mapped), static_cast<size_t>(size));
}

}  // namespace

std::string NameKey(std::string_view utf8) {
  // Full folding would make the sharp s "ss"; the pieces between sharp s
  // fold alone (it never combines with its neighbours) and it joins them.
  std::string key;
  size_t start = 0;
  for (;;) {
    const size_t sharp = std::min(utf8.find(kSharpS, start), utf8.find(kCapitalSharpS, start));
    key += Fold(utf8.substr(start, sharp - start));
    if (sharp == std::string_view::npos) return key;
    key += kSharpS;
    start = sharp + (utf8.substr(sharp).starts_with(kSharpS) ? kSharpS : kCapitalSharpS).size();
  }
}

bool SameName(std::string_view a, std::string_view b) { return NameKey(a) == NameKey(b); }

}  // namespace tolvane
