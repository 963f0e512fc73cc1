// One group run of 40 two-part messages over SMPP (window 10, receipts asked
// for) through the whole program on Qt to tools/smpp-sim on loopback: the
// run's wall time in milliseconds. The program folder, and with it
// messages.db, is made under ROOT: on the disk, or on tmpfs, where the
// store's flushes cost nothing (benchmarks/store_share.sh compares the two).
//
//   tolvane_store_share_benchmark PORT ROOT
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/qt_program.h"
#include "bulk/group_sending.h"
#include "core/secret_store.h"
#include "platform/sqlite_phone_book_store.h"
#include "smpp/smpp_settings.h"
#include "support/temp_dir.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tolvane_store_share_benchmark PORT ROOT\n");
    return 2;
  }
  QApplication app(argc, argv);
  setenv("TMPDIR", argv[2], 1);
  tolvane::testing::TempDir folder;
  tolvane::SqlitePhoneBookStore::CreateEmptyDatabase(folder.FilePath("teledata.mdb"));
  folder.WriteFile("tolvmsg.ini", std::string("[Access]\r\nAccessTyp=SMPP\r\n[SMPP]\r\n") +
                                      "Host=127.0.0.1\r\nPort=" + argv[1] +
                                      "\r\nSystemId=tolvane\r\nWindow=10\r\n"
                                      "[Adress]\r\nAvs=Tolvane\r\n");
  tolvane::SecretStore(folder.Folder()).WriteSecret(tolvane::kSmppSecret, "secret");

  tolvane::QtProgram program;
  if (!program.Start(folder.Folder(), "")) return 1;
  tolvane::MainWindow& window = program.Window();
  std::vector<std::string> numbers;
  for (int i = 0; i < 40; ++i) numbers.push_back(std::to_string(700000000 + i));
  window.OnMessageEdited(std::string(200, 'a'));
  window.Groups().SetGroupMembers(std::move(numbers));

  const auto start = std::chrono::steady_clock::now();
  window.SetAutosendInProgress(true);
  window.Groups().SandGruppAuto();
  window.SetAutosendInProgress(false);
  const std::chrono::duration<double, std::milli> wall = std::chrono::steady_clock::now() - start;
  std::printf("%.1f\n", wall.count());
  return window.Groups().LastRunAccepted() ? 0 : 1;
}
