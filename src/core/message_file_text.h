#ifndef TOLVANE_CORE_MESSAGE_FILE_TEXT_H_
#define TOLVANE_CORE_MESSAGE_FILE_TEXT_H_

#include <string>
#include <string_view>

namespace tolvane {

// A message handed over by another program (a file in the autosend folder, a
// command line), as the program holds it.
struct MessageFileText {
  std::string text;
  // Why the message cannot be sent as it is, naming the first character the
  // program's text cannot hold, such as "The file holds a character the
  // message cannot carry: U+1F600"; empty when it can be sent.
  std::string refusal;
};

// Producers write either UTF-8 or Windows-1252: bytes that are valid UTF-8 are
// read as UTF-8 (a leading byte-order mark dropped), anything else as
// Windows-1252, as files were always read. `source` names what holds the
// text in a refusal ("file", "order").
MessageFileText ReadMessageFileText(std::string_view bytes, std::string_view source = "file");

}  // namespace tolvane

#endif  // TOLVANE_CORE_MESSAGE_FILE_TEXT_H_
