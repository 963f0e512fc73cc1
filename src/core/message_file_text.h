#ifndef TOLVANE_CORE_MESSAGE_FILE_TEXT_H_
#define TOLVANE_CORE_MESSAGE_FILE_TEXT_H_

#include <string>
#include <string_view>

namespace tolvane {

// A message file dropped into the autosend folder, as the program holds it.
struct MessageFileText {
  std::string text;
  // Why the file cannot be sent as it is, naming the first character the
  // program's text cannot hold; empty when it can be sent.
  std::string refusal;
};

// Producers write either UTF-8 or Windows-1252: bytes that are valid UTF-8 are
// read as UTF-8 (a leading byte-order mark dropped), anything else as
// Windows-1252, as files were always read.
MessageFileText ReadMessageFileText(std::string_view bytes);

}  // namespace tolvane

#endif  // TOLVANE_CORE_MESSAGE_FILE_TEXT_H_
