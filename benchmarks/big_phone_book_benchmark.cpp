// Start-up, the recipient list, typing and the phone-book window's save,
// delete and seek, with 10 000 and 100 000 people in the phone book.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "app/qt_program.h"
#include "phonebook/phone_book_window.h"
#include "platform/sqlite_phone_book_store.h"
#include "sim/numbered_people.h"
#include "support/fake_dialogs.h"
#include "support/temp_dir.h"

namespace tolvane {
namespace {

constexpr char kDatabaseFile[] = "teledata.mdb";

// A program folder whose phone book holds `people` numbered people, made once
// for each size.
const testing::TempDir& FolderWith(int people) {
  static std::map<int, std::unique_ptr<testing::TempDir>> folders;
  std::unique_ptr<testing::TempDir>& folder = folders[people];
  if (!folder) {
    folder = std::make_unique<testing::TempDir>();
    SqlitePhoneBookStore::CreateEmptyDatabase(folder->FilePath(kDatabaseFile));
    sim::AddNumberedPeople(folder->FilePath(kDatabaseFile), people);
  }
  return *folder;
}

// The program as it runs, started without a command line and shown.
class ShownProgram {
 public:
  explicit ShownProgram(const std::string& folder) {
    program_.Start(folder, "");
    QCoreApplication::processEvents();
  }

  MainWindow& Window() { return program_.Window(); }
  MainWindowWidget& Widget() { return program_.Widget(); }

 private:
  QtProgram program_;
};

void BM_StartupToWindowShown(benchmark::State& state) {
  const std::string folder = FolderWith(static_cast<int>(state.range(0))).Folder();
  for (auto _ : state) {
    auto program = std::make_unique<ShownProgram>(folder);
    benchmark::DoNotOptimize(program->Window().List(MainList::kRecipients).items.size());
    state.PauseTiming();
    program.reset();
    state.ResumeTiming();
  }
}

void BM_RecipientListRefill(benchmark::State& state) {
  ShownProgram program(FolderWith(static_cast<int>(state.range(0))).Folder());
  for (auto _ : state) {
    program.Window().SetRecipientListStale(true);
    program.Window().RefreshRecipientList();
    QCoreApplication::processEvents();
  }
}

// One character typed into the message box and taken away again: two
// keystrokes, each counted and rendered.
void BM_RenderAfterKeystroke(benchmark::State& state) {
  ShownProgram program(FolderWith(static_cast<int>(state.range(0))).Folder());
  auto* box = program.Widget().findChild<QPlainTextEdit*>("messageBox");
  for (auto _ : state) {
    QTest::keyClick(box, Qt::Key_A);
    QTest::keyClick(box, Qt::Key_Backspace);
    QCoreApplication::processEvents();
  }
  state.SetItemsProcessed(state.iterations() * 2);
}

void BM_StatusLineUpdate(benchmark::State& state) {
  ShownProgram program(FolderWith(static_cast<int>(state.range(0))).Folder());
  int tick = 0;
  for (auto _ : state) {
    program.Window().SetStatusLine(++tick % 2 == 0 ? "Dialing..." : "Connecting...");
    QCoreApplication::processEvents();
  }
}

// The phone-book window over its own connection to the phone book.
class OpenPhoneBook {
 public:
  explicit OpenPhoneBook(int people) {
    store_.Open(FolderWith(people).FilePath(kDatabaseFile));
    cursor_ = store_.OpenCursor(kPhoneBookTable);
    window_ = std::make_unique<PhoneBookWindow>(*cursor_, dialogs_, nullptr);
    window_->Open();
  }

  PhoneBookWindow& Window() { return *window_; }
  RecordCursor& Cursor() { return *cursor_; }
  testing::FakeDialogs& Dialogs() { return dialogs_; }
  int Count() const { return static_cast<int>(window_->NameList().items.size()); }

 private:
  SqlitePhoneBookStore store_;
  std::unique_ptr<RecordCursor> cursor_;
  testing::FakeDialogs dialogs_;
  std::unique_ptr<PhoneBookWindow> window_;
};

// Each save adds a person, who is taken away again off the clock so that the
// phone book keeps its size.
void BM_PhoneBookSave(benchmark::State& state) {
  OpenPhoneBook book(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    book.Window().NewRecord();
    book.Window().EditNameText("Saved by the benchmark");
    book.Window().EditNumberText("070-1234567");
    book.Window().SaveRecord();
    state.PauseTiming();
    if (book.Cursor().SeekName("Saved by the benchmark")) book.Cursor().Delete();
    state.ResumeTiming();
  }
}

// Each delete takes away a person added off the clock and selected last.
void BM_PhoneBookDelete(benchmark::State& state) {
  OpenPhoneBook book(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    book.Cursor().AddNew();
    book.Cursor().SetField(kFieldNamn, "Deleted by the benchmark");
    book.Cursor().SetField(kFieldTelenummer, "070-1234567");
    book.Cursor().Update();
    book.Window().Open();
    book.Window().SelectName(book.Count() - 1);
    book.Dialogs().QueueAnswer(MessageAnswer::kYes);
    state.ResumeTiming();
    book.Window().DeleteRecord();
  }
}

// Choosing a name moves the shared cursor to that person and shows them.
void BM_PhoneBookSeek(benchmark::State& state) {
  OpenPhoneBook book(static_cast<int>(state.range(0)));
  const int count = book.Count();
  int tick = 0;
  for (auto _ : state) {
    book.Window().SelectName(++tick % 2 == 0 ? count - 1 : count / 2);
    benchmark::DoNotOptimize(book.Window().NumberBox().text.size());
  }
}

void Sizes(benchmark::internal::Benchmark* benchmark) {
  benchmark->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_StartupToWindowShown)->Apply(Sizes);
BENCHMARK(BM_RecipientListRefill)->Apply(Sizes);
BENCHMARK(BM_RenderAfterKeystroke)->Apply(Sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StatusLineUpdate)->Apply(Sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PhoneBookSave)->Apply(Sizes);
BENCHMARK(BM_PhoneBookDelete)->Apply(Sizes);
BENCHMARK(BM_PhoneBookSeek)->Apply(Sizes)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tolvane

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The offscreen platform warns at every window shown; keep the table readable.
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
