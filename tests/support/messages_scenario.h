#ifndef TOLVANE_TESTS_SUPPORT_MESSAGES_SCENARIO_H_
#define TOLVANE_TESTS_SUPPORT_MESSAGES_SCENARIO_H_

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "inbox/messages_window.h"
#include "store/conversation_reader.h"
#include "support/scenarios.h"
#include "support/temp_dir.h"

namespace tolvane::testing {

class RecordingNotifier : public DesktopNotifier {
 public:
  void Notify(const std::string& title, const std::string& body) override {
    notices.emplace_back(title, body);
  }
  std::vector<std::pair<std::string, std::string>> notices;
};

// The opt-out list in memory.
class MemoryOptOuts : public OptOutList {
 public:
  std::vector<std::string> OptOuts() const override { return {numbers.begin(), numbers.end()}; }
  void SetOptedOut(const std::string& number, bool opted_out, TimePoint) override {
    if (opted_out) {
      numbers.insert(number);
    } else {
      numbers.erase(number);
    }
  }
  std::set<std::string> numbers;
};

// The store's messages, sent and received, written at virtual times.
class ConversationStore : public ::testing::Test {
 protected:
  StoredMessage Receive(const std::string& number, const std::string& text, int minute) {
    StoredMessage message{.incoming = true,
                          .number_typed = number,
                          .number = number,
                          .text = text,
                          .transport = "GSM",
                          .created = TimePoint(std::chrono::minutes(minute)),
                          .state = MessageState::kReceived};
    store->AddReceived(message);
    return message;
  }
  // A run to `number`, ended unless `open`.
  std::int64_t SendTo(const std::string& number, const std::string& text, int minute,
                      bool open = false) {
    StoredRun run{.kind = "single", .transport = "GSM", .created = TimePoint()};
    std::vector<StoredMessage> messages{{.number_typed = number,
                                         .number = number,
                                         .name = number == "+46702222222" ? "Bertil" : "",
                                         .text = text,
                                         .transport = "GSM",
                                         .created = TimePoint(std::chrono::minutes(minute))}};
    store->AddRun(run, messages);
    if (!open) store->EndRun(run.id, TimePoint());
    return messages[0].id;
  }
  void Sql(const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
  }

  TempDir dir;
  std::string path = dir.FilePath("messages.db");
  std::unique_ptr<MessageStore> store = std::make_unique<MessageStore>(path);
};

// The messages window over a main window sending by the dial-up modem to the
// simulated SMS centre.
class MessagesScenario : public ConversationStore, protected WindowPeripherals {
 protected:
  MessagesScenario() {
    settings.Avs = "+46 70-765 43 21";
    MainWindowServices services = Services(loop, port, http);
    services.message_store = store.get();
    main = std::make_unique<MainWindow>(settings, services, host);
    main->ConfigureTransports();
    main->SetPhoneBookStore(&book.store());
    book.Add("Anna", "070-111 11 11");
    window = std::make_unique<MessagesWindow>(
        MessagesWindowServices{reader, *main, dialogs, clipboard, &notifier, &opt_outs});
    window->SetOnChanged([this](bool list) { list_changes += list; });
    store->AddListener(window.get());
  }
  ~MessagesScenario() override {
    store->RemoveListener(window.get());
    window.reset();
    main.reset();
  }

  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    for (const ConversationRow& row : window->ListRows(0, 100)) {
      rows.push_back(row.title + "|" + row.line + "|" + std::to_string(row.unread));
    }
    return rows;
  }
  std::vector<std::string> Shown() const {
    std::vector<std::string> shown;
    for (const ConversationMessage& m : window->ShownMessages()) {
      shown.push_back((m.incoming ? "< " : "> ") + m.text + (m.state.empty() ? "" : " " + m.state));
    }
    return shown;
  }

  sim::SimEventLoop loop;
  sim::SimSmsc smsc{Schedule(loop)};
  sim::SimModem modem{Schedule(loop), smsc};
  sim::SimSerialPort port{loop, modem};
  std::unique_ptr<MainWindow> main;
  ConversationReader reader{path};
  RecordingNotifier notifier;
  MemoryOptOuts opt_outs;
  std::unique_ptr<MessagesWindow> window;
  int list_changes = 0;
};

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_MESSAGES_SCENARIO_H_
