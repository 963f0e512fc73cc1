#ifndef TOLVANE_SIM_SIM_MAIL_CLIENT_H_
#define TOLVANE_SIM_SIM_MAIL_CLIENT_H_

#include <memory>
#include <string>
#include <vector>

#include "platform/mail_client.h"
#include "sim/sim_event_loop.h"

namespace tolvane::sim {

// The mailbox on the simulated POP3 server and how the server behaves.
struct SimMailbox {
  // The line that stands for each waiting message, in order.
  std::vector<std::string> messages;
  // Each operation completes this long after it was started.
  int answer_delay_ms = 200;
  // When set, the log-in fails with this description.
  std::string login_error;
  // The server never answers the connection.
  bool silent = false;
  // The retrieval of this message (1 upward) never answers; 0 for none.
  int silent_message = 0;
};

// The mail component against the simulated server, on virtual time.
class SimMailClient : public MailClient {
 public:
  SimMailClient(SimEventLoop& loop, SimMailbox& mailbox);
  ~SimMailClient() override;

  void SetServer(const std::string& server) override { server_ = server; }
  void SetUserName(const std::string& user_name) override { user_name_ = user_name; }
  void SetPassword(const std::string& password) override { password_ = password; }
  int Connect() override;
  int MessageCount() const override { return count_; }
  int Retrieve(int number) override;
  std::string MessageText() const override { return text_; }
  int Disconnect() override;
  void Abort() override;
  void SetOnComplete(std::function<void()> handler) override { on_complete_ = std::move(handler); }
  void SetOnError(std::function<void(const std::string&)> handler) override {
    on_error_ = std::move(handler);
  }

  const std::string& Server() const { return server_; }
  const std::string& UserName() const { return user_name_; }
  const std::string& Password() const { return password_; }
  bool Connected() const { return connected_; }
  int Connects() const { return connects_; }
  const std::vector<int>& Retrieved() const { return retrieved_; }
  int Disconnects() const { return disconnects_; }
  int Aborts() const { return aborts_; }

 private:
  // Runs `action` after the server's delay, unless a later operation or
  // Abort has dropped it.
  void Answer(std::function<void()> action);
  void Drop() { ++*generation_; }

  SimEventLoop& loop_;
  SimMailbox& mailbox_;
  std::string server_;
  std::string user_name_;
  std::string password_;
  std::function<void()> on_complete_;
  std::function<void(const std::string&)> on_error_;
  std::shared_ptr<int> generation_ = std::make_shared<int>(0);
  bool connected_ = false;
  bool busy_ = false;
  int count_ = 0;
  std::string text_;
  int connects_ = 0;
  std::vector<int> retrieved_;
  int disconnects_ = 0;
  int aborts_ = 0;
};

}  // namespace tolvane::sim

#endif  // TOLVANE_SIM_SIM_MAIL_CLIENT_H_
