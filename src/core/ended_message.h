#ifndef TOLVANE_CORE_ENDED_MESSAGE_H_
#define TOLVANE_CORE_ENDED_MESSAGE_H_

#include <cstdint>
#include <string>

namespace tolvane {

// Whom a message was for and what it said, as its log line names them.
struct WindowMember {
  std::string name;
  std::string number;
  std::string message;
  // Its id in the message store; 0 when it holds none.
  std::int64_t message_id = 0;
};

// A message whose outcome is known.
struct EndedMessage {
  WindowMember member;
  std::string receipt;
  // The far end took every part.
  bool accepted = false;
};

}  // namespace tolvane

#endif  // TOLVANE_CORE_ENDED_MESSAGE_H_
