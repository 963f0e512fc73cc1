#ifndef TOLVANE_TESTS_SUPPORT_QUICK_MESSAGE_FILES_H_
#define TOLVANE_TESTS_SUPPORT_QUICK_MESSAGE_FILES_H_

#include <string>
#include <vector>

#include "platform/local_file_system.h"
#include "records/quick_message_store.h"

namespace tolvane::testing {

// The bytes of a quick-message file, from its layout alone: 400 bytes a
// message, the text followed by blanks.
inline std::string QuickMessageRecords(const std::vector<std::string>& texts) {
  std::string bytes;
  for (const std::string& text : texts) bytes += text + std::string(400 - text.size(), ' ');
  return bytes;
}

// Every message the store holds, in order.
inline std::vector<std::string> MessagesOf(const QuickMessageStore& store) {
  std::vector<std::string> messages;
  for (int i = 1; i <= store.Count(); ++i) messages.push_back(store.Message(i));
  return messages;
}

// The messages a start-up in `folder` would find.
inline std::vector<std::string> QuickMessagesIn(const std::string& folder) {
  QuickMessageStore store(LocalFileSystem::Instance());
  if (store.Load(folder) != 0) return {"(unreadable)"};
  return MessagesOf(store);
}

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_QUICK_MESSAGE_FILES_H_
