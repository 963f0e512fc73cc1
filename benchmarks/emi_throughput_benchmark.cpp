// One group run of COUNT numbers over UCP/EMI, receipts off, through the
// whole program on Qt (its real TCP connection) to tools/emi-sim on
// loopback; the run's wall time, messages a second, CPU time per message and
// the process's peak memory. benchmarks/emi_throughput.sh starts the centre.
//
//   tolvane_emi_benchmark PORT WINDOW COUNT
#include <sys/resource.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/qt_program.h"
#include "bulk/group_sending.h"
#include "core/secret_store.h"
#include "emi/emi_settings.h"
#include "platform/sqlite_phone_book_store.h"
#include "support/temp_dir.h"

namespace {

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: tolvane_emi_benchmark PORT WINDOW COUNT\n");
    return 2;
  }
  QApplication app(argc, argv);
  const int count = std::stoi(argv[3]);
  tolvane::testing::TempDir folder;
  tolvane::SqlitePhoneBookStore::CreateEmptyDatabase(folder.FilePath("teledata.mdb"));
  folder.WriteFile("tolvmsg.ini",
                   std::string("[Access]\r\nAccessTyp=EMI\r\n[EMI]\r\nHost=127.0.0.1\r\n") +
                       "Port=" + argv[1] + "\r\nUser=tolvane\r\nWindow=" + argv[2] +
                       "\r\n[Modem]\r\nEjKvitto=1\r\nLogg=1\r\n");
  tolvane::SecretStore(folder.Folder()).WriteSecret(tolvane::kEmiSecret, "secret");

  tolvane::QtProgram program;
  if (!program.Start(folder.Folder(), "")) return 1;
  tolvane::MainWindow& window = program.Window();
  std::vector<std::string> numbers;
  for (int i = 0; i < count; ++i) numbers.push_back(std::to_string(700000000 + i));
  window.OnMessageEdited("Bench");
  window.Groups().SetGroupMembers(std::move(numbers));

  const double cpu_before = CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  window.SetAutosendInProgress(true);
  window.Groups().SandGruppAuto();
  window.SetAutosendInProgress(false);
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double cpu = CpuSeconds() - cpu_before;

  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf(
      "Window=%s: %d messages in %.2f s, %.1f a second, %.3f ms CPU each, peak %.1f MB, "
      "all accepted: %s\n",
      argv[2], count, wall, count / wall, 1000 * cpu / count, usage.ru_maxrss / 1024.0,
      window.Groups().LastRunAccepted() ? "yes" : "no");
  return window.Groups().LastRunAccepted() ? 0 : 1;
}
