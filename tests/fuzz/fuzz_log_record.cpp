// Log lines as any program or editor may have left them: splitting a line
// takes its fields from inside the line, a record written reads back as
// written (line breaks and quotes cleaned), and the log viewer browses any
// log without leaving its records.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "fuzz_check.h"
#include "records/log_file.h"
#include "records/log_record.h"
#include "settings_dialog/log_viewer.h"
#include "support/fake_dialogs.h"
#include "support/temp_dir.h"
#include "text/utf8.h"

namespace {

using tolvane::LogRecord;

std::string Cleaned(const std::string& field) {
  std::string clean;
  for (char c : field) {
    if (c != '\r') clean += c == '\n' ? ' ' : c == '"' ? '\'' : c;
  }
  return clean;
}

}  // namespace

int tolvane::FuzzOne(const uint8_t* data, size_t size) {
  static tolvane::testing::TempDir folder;
  static tolvane::testing::FakeDialogs dialogs;
  FuzzedDataProvider input(data, size);

  LogRecord written;
  for (std::string* field :
       {&written.date, &written.time, &written.recipient, &written.result, &written.message}) {
    // The program's text is UTF-8.
    *field = SanitiseUtf8(input.ConsumeRandomLengthString(80));
  }
  std::string line = written.ToLine();
  FUZZ_CHECK(line.size() >= 2 && line.substr(line.size() - 2) == "\r\n");
  line.resize(line.size() - 2);
  FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
  const LogRecord read = LogRecord::FromLine(line);
  FUZZ_CHECK(read.date == Cleaned(written.date) && read.time == Cleaned(written.time) &&
             read.recipient == Cleaned(written.recipient) &&
             read.result == Cleaned(written.result) && read.message == Cleaned(written.message));

  const std::string jump = input.ConsumeRandomLengthString(12);
  const int steps = input.ConsumeIntegralInRange(0, 8);
  const std::string log = input.ConsumeRemainingBytesAsString();
  const LogRecord any = LogRecord::FromLine(log);
  for (const std::string* field :
       {&any.date, &any.time, &any.recipient, &any.result, &any.message}) {
    // A byte of the code page is at most three of UTF-8.
    FUZZ_CHECK(field->size() <= 3 * log.size());
  }

  folder.WriteFile(tolvane::kLogFileName, log);
  tolvane::LogViewer viewer(folder.Folder(), dialogs);
  viewer.Read();
  FUZZ_CHECK(viewer.RecordCount() <= tolvane::kMaxLogRecords);
  // The buttons act only when the read enabled them, as on screen.
  FUZZ_CHECK(viewer.Control(tolvane::LogControl::kLast).enabled == (viewer.RecordCount() > 0));
  if (viewer.RecordCount() > 0) {
    viewer.Last();
    for (int i = 0; i < steps; ++i) viewer.Next();
    viewer.EditGoToBox(jump);
    viewer.GoTo();
    for (int i = 0; i < steps; ++i) viewer.Previous();
    FUZZ_CHECK(viewer.Current() >= 1 && viewer.Current() <= viewer.RecordCount());
  }
  dialogs.Clear();
  return 0;
}
