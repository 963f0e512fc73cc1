#ifndef TOLVANE_PLATFORM_MAIL_CLIENT_H_
#define TOLVANE_PLATFORM_MAIL_CLIENT_H_

#include <functional>
#include <string>

namespace tolvane {

// The POP3 mail component. Connect, Retrieve and Disconnect start an
// operation and return at once: 0, or the number of a failure found before
// anything was sent (the table of MailErrorText). The operation then ends
// with exactly one completion or error event. Texts are UTF-8.
class MailClient {
 public:
  virtual ~MailClient() = default;

  // The server: a host name, optionally with a scheme and a port.
  virtual void SetServer(const std::string& server) = 0;
  virtual void SetUserName(const std::string& user_name) = 0;
  virtual void SetPassword(const std::string& password) = 0;

  // Connects and logs in.
  virtual int Connect() = 0;
  // Messages waiting, as counted when the connection was made.
  virtual int MessageCount() const = 0;
  // Fetches message `number` (1 upward).
  virtual int Retrieve(int number) = 0;
  // One line that stands for the last retrieved message.
  virtual std::string MessageText() const = 0;
  // Leaves the server; also ends an operation in progress. Always completes.
  virtual int Disconnect() = 0;
  // Drops the connection at once; no event follows.
  virtual void Abort() = 0;

  virtual void SetOnComplete(std::function<void()> handler) = 0;
  virtual void SetOnError(std::function<void(const std::string& description)> handler) = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_MAIL_CLIENT_H_
