#ifndef TOLVANE_RECORDS_LOG_FILE_H_
#define TOLVANE_RECORDS_LOG_FILE_H_

#include <string>
#include <vector>

#include "records/log_record.h"

namespace tolvane {

inline constexpr char kLogFileName[] = "loggfil.txt";
// The log viewer shows no more than this many records.
inline constexpr int kMaxLogRecords = 300;

// Appends `record` to the log in `folder` (with trailing separator), creating
// the file on first use. Returns 0, or the system error number.
int WriteLogRecord(const std::string& folder, const LogRecord& record);

// Appends `record` to the receipt file `file_name`. Returns 0, or the system
// error number.
int Skriv_Kvitto(const std::string& folder, const std::string& file_name, const LogRecord& record);

// A receipt file name with a directory separator is a path of its own; any
// other name lies in the program's folder, whatever the current directory.
std::string ReceiptFilePath(const std::string& folder, const std::string& file_name);

// Receipt-line texts for failed writes.
std::string LogWriteErrorText(int error);
std::string ReceiptWriteErrorText(int error);

// The first 300 records of the log in `folder`, in file order; none when the
// log does not exist. `failed`, when given, tells whether the file could not
// be opened or read to its end (the records read so far are returned).
std::vector<LogRecord> ReadLogRecords(const std::string& folder, bool* failed = nullptr);

// Deletes the log in `folder`. Returns 0, or the system error number.
int DeleteLogFile(const std::string& folder);

}  // namespace tolvane

#endif  // TOLVANE_RECORDS_LOG_FILE_H_
