// The quick-message file as anything may have left it: it loads whole
// records, the window browses, adds and deletes on any list, and what a
// rewrite leaves on disk reads back as the list in memory.
//
// Input: one byte of options, the scroll position, the entry box text, then
// the file.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "fuzz_check.h"
#include "platform/text_codec.h"
#include "records/quick_message_store.h"
#include "records/quick_messages_window.h"
#include "sim/sim_file_system.h"
#include "support/fake_dialogs.h"
#include "support/platform_mocks.h"
#include "support/quick_message_files.h"
#include "text/text_helpers.h"
#include "text/utf8.h"

namespace tolvane {
namespace {

constexpr char kFolder[] = "/program/";
constexpr size_t kRecord = QuickMessageStore::kRecordSize;

}  // namespace

int FuzzOne(const uint8_t* data, size_t size) {
  static testing::FakeDialogs dialogs;
  static testing::MemoryClipboard clipboard;
  FuzzedDataProvider input(data, size);
  const uint8_t options = input.ConsumeIntegral<uint8_t>();
  const int position = input.ConsumeIntegralInRange(-2, 60);
  // As a text box hands it over: UTF-8.
  const std::string entry = SanitiseUtf8(input.ConsumeRandomLengthString(450));
  const std::string bytes = input.ConsumeRemainingBytesAsString();

  // The store under any letter case, or only the temporary file of a rewrite
  // that was stopped between its last two steps.
  sim::SimFileSystem files;
  const char* names[] = {"meddelnd.dat", "MEDDELND.DAT", "Meddelnd.Tmp"};
  files.Write(std::string(kFolder) + names[options % 3], bytes);

  QuickMessageStore store(files);
  FUZZ_CHECK(store.Load(kFolder) == 0);
  FUZZ_CHECK(static_cast<size_t>(store.Count()) == bytes.size() / kRecord);
  for (int i = 1; i <= store.Count(); ++i) {
    const std::string message = store.Message(i);
    FUZZ_CHECK(message ==
               TrimTrailingBlanks(Cp1252ToUtf8(bytes.substr((i - 1) * kRecord, kRecord))));
  }
  FUZZ_CHECK(QuickMessageStore::Decode(QuickMessageStore::Encode(testing::MessagesOf(store))) ==
             testing::MessagesOf(store));

  std::string used;
  QuickMessagesWindow window(store, dialogs, clipboard,
                             [&used](const std::string& text) { used = text; });
  window.Open();
  window.Step(position);
  FUZZ_CHECK(window.ShownMessage() == store.Message(window.ScrollPosition()));
  FUZZ_CHECK(window.Total() == std::to_string(store.Count()));

  const int before = store.Count();
  window.EditEntry(entry);
  const std::string typed = window.EntryBox().text;
  FUZZ_CHECK(Utf8Length(typed) <= static_cast<size_t>(QuickMessagesWindow::kEntryLimit));
  window.Add();
  const bool added = store.Count() == before + 1;
  FUZZ_CHECK(added == (!TrimTrailingBlanks(typed).empty() &&
                       before < QuickMessageStore::kMaxMessages && !FirstOutsideCp1252(typed)));
  if (added) FUZZ_CHECK(store.Message(store.Count()) == TrimTrailingBlanks(typed));
  FUZZ_CHECK(dialogs.boxes().size() == (added ? 0u : 1u));

  bool deleted = false;
  if (options & 4) {
    const int shown = store.Count();
    window.Step(position);
    window.Delete();
    deleted = shown > 0;
    FUZZ_CHECK(store.Count() < shown || !deleted);
  }
  if (options & 8) {
    window.Use();
    FUZZ_CHECK(used == window.ShownMessage());
  }

  // A change leaves the store alone in the folder, holding the list in
  // memory as whole records.
  if (added || deleted) {
    const std::vector<std::string> left = files.List(kFolder);
    FUZZ_CHECK(left.size() == 1);
    std::string on_disk;
    FUZZ_CHECK(files.ReadFile(std::string(kFolder) + left[0], on_disk) == 0);
    FUZZ_CHECK(on_disk == QuickMessageStore::Encode(testing::MessagesOf(store)));
  }
  // A start-up finds the list in memory.
  QuickMessageStore reloaded(files);
  FUZZ_CHECK(reloaded.Load(kFolder) == 0 &&
             testing::MessagesOf(reloaded) == testing::MessagesOf(store));
  dialogs.Clear();
  return 0;
}

}  // namespace tolvane
