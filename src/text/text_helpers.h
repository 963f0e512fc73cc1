#ifndef TOLVANE_TEXT_TEXT_HELPERS_H_
#define TOLVANE_TEXT_TEXT_HELPERS_H_

#include <cstddef>
#include <optional>
#include <string>

namespace tolvane {

// The text without its leading and trailing blanks, as typed numbers and
// names are taken.
std::string TrimBlanks(const std::string& text);
// The text without its trailing blanks, as typed settings are stored.
std::string TrimTrailingBlanks(const std::string& text);

// The whole number a typed box starts with: blanks skipped, a sign taken,
// then the digits as far as they go; 0 when there are none. Held within
// plus and minus a million, well past any box's range.
long LeadingWholeNumber(const std::string& text);

// The value of a text that is a decimal number and nothing else: an optional
// sign, digits with at most one point, and white space around it. nullopt for
// anything else, the empty text included.
std::optional<double> NumericValue(const std::string& text);

// What a message box with room for `limit` characters takes of an edit that
// turned `before` into `after`, as a box with a length limit does: the
// characters the edit inserted as far as they fit, never those already there,
// a line break (CR LF) only whole, and every tab as a blank, since SMS
// carries no tab. A `limit` of 0 takes the whole edit.
std::string EditedText(const std::string& before, const std::string& after, size_t limit);

// The digits "0" to "9" of the text, in their order.
std::string DigitsOf(const std::string& text);

}  // namespace tolvane

#endif  // TOLVANE_TEXT_TEXT_HELPERS_H_
