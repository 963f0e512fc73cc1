// What the message store costs.
//
// 1. Its share of a group run: 40 members, two parts each, window 10, against
//    the simulated SMPP provider answering every submit (and sending its
//    receipt) after 50 ms, on the simulated loop. The run's virtual time is
//    what it takes against such a provider; the loop's real time is what the
//    program itself did in it. The same run with the store in a real
//    messages.db (its fsyncs) and with the store in memory: the difference is
//    what keeping the run on disk costs, as a share of the run's time; the
//    real time of the whole run on disk bounds the store's share from above.
// 2. A store of 1 000 000 messages: opening it (the constructor and the open
//    runs, as at start-up), adding a run of one (durable), and the look-ups
//    the receipts and the rate limits make.
// 3. The floor under every durable commit: 4 KiB written and flushed to the
//    disk (fdatasync) in the same folder.
//
// The figures mean something only on an optimised build without the
// sanitizers (scripts/benchmark.sh).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "bulk/group_sending.h"
#include "core/secret_store.h"
#include "sim/sim_event_loop.h"
#include "sim/sim_smpp_provider.h"
#include "sim/sim_tcp_connection.h"
#include "smpp/smpp_settings.h"
#include "support/temp_dir.h"
#include "support/window_peripherals.h"

namespace tolvane {
namespace {

using RealClock = std::chrono::steady_clock;

constexpr int kMembers = 40;
constexpr int kPeerMs = 50;
constexpr int kBigStore = 1000000;

// The main window set up for SMPP with its group of 40, the store given.
class GroupRun : public testing::WindowPeripherals {
 public:
  explicit GroupRun(MessageStore& store) {
    provider_.Options().answer_delay_ms = kPeerMs;
    provider_.Options().submit_delay_ms = kPeerMs;
    provider_.Options().receipt_delay_ms = kPeerMs;
    settings.AccessTyp = "SMPP";
    settings.Avs = "Tolvane";
    settings.transports.Get<SmppSettings>().Host = "smpp.example.net";
    settings.transports.Get<SmppSettings>().SystemId = "tolvane";
    settings.transports.Get<SmppSettings>().Window = "10";
    SecretStore(settings.ProgramFolder).WriteSecret(kSmppSecret, "secret");
    smpp_connection = &tcp_;
    MainWindowServices services = Services(loop_);
    services.message_store = &store;
    window_ = std::make_unique<MainWindow>(settings, services, host);
    window_->ConfigureTransports();
    window_->SetPhoneBookStore(&book.store());
    window_->SetPhoneBookCursor(&book.cursor());
    for (int i = 0; i < kMembers; ++i) {
      book.AddToGroup("Club", "Member " + std::to_string(i), std::to_string(701000000 + i));
    }
    window_->OnGroupSendingToggled();
    testing::TypeMessage(*window_, std::string(200, 'a'));
  }
  ~GroupRun() { window_.reset(); }

  // Sends to the group; the real and the virtual time the run took.
  std::pair<double, double> Send() {
    const auto virtual_start = loop_.Elapsed();
    const auto start = RealClock::now();
    window_->Groups().SendToGroup();
    const std::chrono::duration<double> real = RealClock::now() - start;
    const std::chrono::duration<double> run = loop_.Elapsed() - virtual_start;
    if (provider_.Submissions().size() != 2 * kMembers) std::abort();
    return {real.count(), run.count()};
  }

 private:
  sim::SimEventLoop loop_;
  sim::SimSmppProvider provider_{[this](int ms, std::function<void()> action) {
    loop_.After(std::chrono::milliseconds(ms), std::move(action));
  }};
  sim::SimTcpConnection tcp_{loop_, provider_};
  std::unique_ptr<MainWindow> window_;
};

void BM_GroupRunOf40(benchmark::State& state, bool on_disk) {
  testing::TempDir dir;
  double real_total = 0;
  double run_total = 0;
  for (auto _ : state) {
    state.PauseTiming();
    MessageStore store(on_disk ? dir.FilePath("messages.db") : ":memory:");
    GroupRun run(store);
    state.ResumeTiming();
    const auto [real, virtual_time] = run.Send();
    state.SetIterationTime(real);
    real_total += real;
    run_total += virtual_time;
  }
  state.counters["run_ms"] = 1000 * run_total / state.iterations();
  state.counters["real_share_%"] = 100 * real_total / run_total;
}
BENCHMARK_CAPTURE(BM_GroupRunOf40, store_in_memory, false)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
BENCHMARK_CAPTURE(BM_GroupRunOf40, store_on_disk, true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

void Exec(sqlite3* db, const char* sql) {
  if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) std::abort();
}

// A store of a million messages, sent over two years in runs of 100, each
// delivered with its own reference; the last run open. Made once, in one
// transaction.
const std::string& BigStore() {
  static testing::TempDir dir;
  static const std::string path = dir.FilePath("messages.db");
  static bool made = false;
  if (made) return path;
  { MessageStore create(path); }
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  Exec(db, "BEGIN");
  Exec(db, R"sql(
    WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000000)
    INSERT INTO messages (id, run_id, direction, number_typed, number, name, text, encoding,
                          part_count, transport, created, sent, final, state)
    SELECT i, (i - 1) / 100 + 1, 'out', '070' || i, '+4670' || i, 'Member ' || i,
           'Hej ' || i, 'gsm7', 1, 'SMPP', t, t, t, 'delivered'
    FROM (SELECT i, strftime('%Y-%m-%dT%H:%M:%fZ', 1733000000 + i * 60, 'unixepoch') AS t
          FROM n))sql");
  Exec(db, R"sql(
    INSERT INTO runs (id, kind, title, transport, owner, created, ended)
    SELECT DISTINCT run_id, 'group', 'Club', 'SMPP', '', created,
           CASE WHEN run_id < 10000 THEN created END
    FROM messages WHERE id % 100 = 1)sql");
  Exec(db, R"sql(
    INSERT INTO parts (message_id, idx, state, ref)
    SELECT id, 0, 'delivered', printf('%08X', id) FROM messages)sql");
  Exec(db, "COMMIT");
  sqlite3_close(db);
  made = true;
  return path;
}

void BM_OpenBigStore(benchmark::State& state) {
  const std::string& path = BigStore();
  for (auto _ : state) {
    MessageStore store(path);
    if (store.OpenRuns().size() != 1) std::abort();
  }
}
BENCHMARK(BM_OpenBigStore)->Unit(benchmark::kMillisecond);

void BM_BigStore(benchmark::State& state, int what) {
  MessageStore store(BigStore());
  const TimePoint now = Clock::now();
  std::int64_t i = 0;
  for (auto _ : state) {
    ++i;
    switch (what) {
      case 0: {
        StoredRun run;
        run.kind = "single";
        run.transport = "SMPP";
        run.created = now;
        std::vector<StoredMessage> messages(1);
        messages[0].number = "+46701234567";
        messages[0].text = "Hej";
        messages[0].transport = "SMPP";
        messages[0].created = now;
        store.AddRun(run, messages);
        break;
      }
      case 1: {
        char ref[16];
        std::snprintf(ref, sizeof ref, "%08llX", static_cast<long long>(1 + i * 7919 % kBigStore));
        if (!store.FindPart("SMPP", ref)) std::abort();
        break;
      }
      case 2:
        benchmark::DoNotOptimize(
            store.PartsSentSince("SMPP", Clock::from_time_t(1733000000 + 60 * kBigStore - 86400)));
        break;
    }
  }
}
BENCHMARK_CAPTURE(BM_BigStore, add_run_of_one, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BigStore, find_part, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_BigStore, parts_sent_in_the_last_day, 2)->Unit(benchmark::kMicrosecond);

void BM_DiskFlush(benchmark::State& state) {
  testing::TempDir dir;
  const int fd = open(dir.FilePath("flush").c_str(), O_WRONLY | O_CREAT, 0600);
  const std::string page(4096, 'x');
  for (auto _ : state) {
    if (write(fd, page.data(), page.size()) != 4096 || fdatasync(fd) != 0) std::abort();
  }
  close(fd);
}
BENCHMARK(BM_DiskFlush)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tolvane

BENCHMARK_MAIN();
