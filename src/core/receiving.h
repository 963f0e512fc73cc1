#ifndef TOLVANE_CORE_RECEIVING_H_
#define TOLVANE_CORE_RECEIVING_H_

#include <functional>
#include <memory>
#include <string>

#include "core/listen_keeper.h"
#include "core/main_window.h"
#include "inbox/conversation_names.h"
#include "inbox/inbox.h"
#include "platform/phone_book_store.h"

namespace tolvane {

// Receiving while the program runs: the inbox that keeps what the transports
// receive (named from the phone book, logged as the window logs sends) and
// the session of the chosen transport kept open when `[Inbox] Listen` asks.
class Receiving : public InboxHost {
 public:
  // `show_status` shows the state of the session kept, `show_received` each
  // whole message received (its sender as the network gave it).
  Receiving(MainWindow& window, PhoneBookStore& phone_book,
            std::function<void(const std::string&)> show_status,
            std::function<void(const std::string&, const std::string&)> show_received = nullptr);
  ~Receiving() override;

  // The window's store is in use: what the transports receive goes to it.
  void Start();
  // Keeps the chosen transport's session when the settings ask (again after
  // the settings changed), or closes it.
  void Listen();
  // Closes the session kept, as the program ends.
  void Stop() { keeper_.Keep(nullptr); }
  Inbox& Messages() { return *inbox_; }
  // "connected", "reconnecting" (a session kept but not open now) or "off".
  std::string State() const;

  // InboxHost.
  std::string NameOf(const std::string& number) override;
  void LogReceived(const std::string& sender, const std::string& text) override;

 private:
  MainWindow& window_;
  PhoneBookStore& phone_book_;
  ConversationNames names_;
  std::function<void(const std::string&, const std::string&)> show_received_;
  std::unique_ptr<Inbox> inbox_;
  ListenKeeper keeper_;
};

}  // namespace tolvane

#endif  // TOLVANE_CORE_RECEIVING_H_
