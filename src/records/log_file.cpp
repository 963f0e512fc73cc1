#include "records/log_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <optional>

#include "platform/local_file_system.h"

namespace tolvane {
namespace {

// errno, or EIO when the C library failed without setting it.
int LastError() { return errno != 0 ? errno : EIO; }

// A new file is readable by its owner only: records name people and numbers.
int AppendLine(const std::string& path, const std::string& line) {
  FileSystem& files = ProgramFileSystem();
  const std::optional<FileStamp> before = files.Stamp(path);
  errno = 0;
  if (files.Append(path, line)) return 0;
  const int error = LastError();
  // A full disk may have taken part of the line: it is cut off again (or the
  // file made for it removed), so the file holds whole records only.
  if (before) {
    files.Truncate(path, before->size);
  } else {
    files.Remove(path);
  }
  return error;
}

}  // namespace

int WriteLogRecord(const std::string& folder, const LogRecord& record) {
  return AppendLine(folder + kLogFileName, record.ToLine());
}

int Skriv_Kvitto(const std::string& folder, const std::string& file_name, const LogRecord& record) {
  return AppendLine(ReceiptFilePath(folder, file_name), record.ToLine());
}

std::string ReceiptFilePath(const std::string& folder, const std::string& file_name) {
  if (file_name.find_first_of("\\/") != std::string::npos) return file_name;
  return folder + file_name;
}

std::string LogWriteErrorText(int error) {
  return "Error " + std::to_string(error) + " while writing to logfile.";
}

std::string ReceiptWriteErrorText(int error) {
  return "Error: " + std::to_string(error) + " while writing to file.";
}

std::vector<LogRecord> ReadLogRecords(const std::string& folder, bool* failed) {
  std::vector<LogRecord> records;
  std::ifstream in(folder + kLogFileName, std::ios::binary);
  std::string line;
  while (static_cast<int>(records.size()) < kMaxLogRecords && std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    records.push_back(LogRecord::FromLine(line));
  }
  if (failed != nullptr) *failed = !in.is_open() || in.bad();
  return records;
}

int DeleteLogFile(const std::string& folder) {
  const std::string path = folder + kLogFileName;
  errno = 0;
  // A write-protected log stays, as the user protected it for a reason.
  if (access(path.c_str(), W_OK) != 0 || std::remove(path.c_str()) != 0) return LastError();
  return 0;
}

}  // namespace tolvane
