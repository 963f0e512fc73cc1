// What the Messages window costs over a big store: 100 000 messages in 2 000
// conversations (50 each, every tenth received one unread).
//
// 1. Opening the window: the store's reader, the presenter's Open (phone
//    book, unread total, conversation count) and the window shown and laid
//    out with its first page of conversations.
// 2. Scrolling: the list scrolled to its end page by page until all 2 000
//    conversations are loaded; the time per page of 100 is what a scroll
//    that reaches unloaded rows costs.
// 3. Choosing a conversation: marked read, its 50 messages shown.
//
// The figures mean something only on an optimised build without the
// sanitizers (scripts/benchmark.sh).
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QListView>
#include <QScrollBar>
#include <memory>
#include <string>

#include "inbox/messages_window.h"
#include "sim/sim_event_loop.h"
#include "store/conversation_reader.h"
#include "support/temp_dir.h"
#include "support/window_peripherals.h"
#include "ui/conversation_list_model.h"
#include "ui/messages_dialog.h"

namespace tolvane {
namespace {

constexpr int kConversations = 2000;
constexpr int kPerConversation = 50;

// The big store, made once.
class BigStore {
 public:
  BigStore() {
    MessageStore store(path);
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* add = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO messages (direction, number_typed, number, text, transport, "
                       "created, state, unread) VALUES (?1, ?2, ?2, ?3, 'GSM', "
                       "strftime('%Y-%m-%dT%H:%M:%fZ', 1700000000 + ?4, 'unixepoch'), ?5, ?6)",
                       -1, &add, nullptr);
    for (int i = 0; i < kConversations * kPerConversation; ++i) {
      const bool incoming = i % 2 == 0;
      const std::string number = "+4670" + std::to_string(1000000 + i % kConversations);
      const std::string text = "Message " + std::to_string(i) + " of a long conversation\nmore";
      sqlite3_bind_text(add, 1, incoming ? "in" : "out", -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(add, 2, number.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(add, 3, text.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int64(add, 4, i * 60LL);
      sqlite3_bind_text(add, 5, incoming ? "received" : "delivered", -1, SQLITE_TRANSIENT);
      sqlite3_bind_int(add, 6, incoming && i % 10 == 0);
      sqlite3_step(add);
      sqlite3_reset(add);
    }
    sqlite3_finalize(add);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    // The reader's indexes, made once as on the first open of a user's store.
    ConversationReader made(path);
  }
  testing::TempDir dir;
  std::string path = dir.FilePath("messages.db");
};

BigStore& Store() {
  static BigStore store;
  return store;
}

// The main window the Messages window sends through.
struct Host : testing::WindowPeripherals {
  Host() { window.ConfigureTransports(); }
  sim::SimEventLoop loop;
  MainWindow window{settings, Services(loop), host};
};

// The window opened on the big store.
struct OpenWindow {
  explicit OpenWindow(Host& host)
      : reader(Store().path),
        presenter({reader, host.window, host.dialogs, host.clipboard, nullptr}),
        dialog(presenter) {
    presenter.Open();
    QApplication::processEvents();
    list = dialog.findChild<QListView*>("conversations");
  }
  ConversationReader reader;
  MessagesWindow presenter;
  MessagesDialog dialog;
  QListView* list = nullptr;
};

void BM_OpenWindow(benchmark::State& state) {
  Store();
  Host host;
  for (auto _ : state) {
    auto window = std::make_unique<OpenWindow>(host);
    benchmark::DoNotOptimize(window->list->model()->rowCount());
    state.PauseTiming();
    window.reset();
    state.ResumeTiming();
  }
}

void BM_ScrollToEnd(benchmark::State& state) {
  Store();
  Host host;
  int pages = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto window = std::make_unique<OpenWindow>(host);
    state.ResumeTiming();
    QScrollBar* bar = window->list->verticalScrollBar();
    while (window->list->model()->rowCount() < kConversations) {
      bar->setValue(bar->maximum());
      QApplication::processEvents();
      ++pages;
    }
    state.PauseTiming();
    window.reset();
    state.ResumeTiming();
  }
  state.counters["pages"] = benchmark::Counter(pages, benchmark::Counter::kAvgIterations);
}

void BM_ChooseConversation(benchmark::State& state) {
  Store();
  Host host;
  OpenWindow window(host);
  int i = 0;
  for (auto _ : state) {
    window.presenter.OnConversationChosen("+4670" + std::to_string(1000000 + i++ % 100));
    QApplication::processEvents();
  }
}

BENCHMARK(BM_OpenWindow)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScrollToEnd)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ChooseConversation)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tolvane

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtWarningMsg && type != QtDebugMsg) fprintf(stderr, "%s\n", qPrintable(message));
  });
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
