#include "store/message_rows.h"

#include <sqlite3.h>

#include <cstdio>
#include <ctime>

#include "platform/store_error.h"

namespace tolvane {

void ExecSql(sqlite3* db, const char* sql) {
  char* error = nullptr;
  const int result = sqlite3_exec(db, sql, nullptr, nullptr, &error);
  sqlite3_free(error);
  if (result != SQLITE_OK) throw SqliteStoreError(db, result);
}

std::string TimeText(TimePoint time) {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch());
  const std::time_t seconds = static_cast<std::time_t>(ms.count() / 1000);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                static_cast<int>(ms.count() % 1000));
  return text;
}

std::optional<TimePoint> TimeFrom(const std::string& text) {
  std::tm utc{};
  int ms = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d.%3dZ", &utc.tm_year, &utc.tm_mon,
                  &utc.tm_mday, &utc.tm_hour, &utc.tm_min, &utc.tm_sec, &ms) != 7) {
    return std::nullopt;
  }
  utc.tm_year -= 1900;
  utc.tm_mon -= 1;
  return Clock::from_time_t(timegm(&utc)) + std::chrono::milliseconds(ms);
}

MessageState StateColumn(const SqliteStatement& statement, int column) {
  return StateNamed(statement.ColumnText(column)).value_or(MessageState::kUnknown);
}

const char kMessageColumns[] =
    "id, run_id, direction, number_typed, number, name, text, encoding, part_count, reference, "
    "transport, created, scheduled, sent, final, state, detail, coalesce(centre_time, ''), unread";

StoredMessage MessageFrom(const SqliteStatement& row) {
  StoredMessage message;
  message.id = row.ColumnInt64(0);
  message.run = row.ColumnInt64(1);
  message.incoming = row.ColumnText(2) == "in";
  message.number_typed = row.ColumnText(3);
  message.number = row.ColumnText(4);
  message.name = row.ColumnText(5);
  message.text = row.ColumnText(6);
  message.encoding = row.ColumnText(7);
  message.part_count = static_cast<int>(row.ColumnInt64(8));
  message.reference = static_cast<int>(row.ColumnInt64(9));
  message.transport = row.ColumnText(10);
  message.created = TimeFrom(row.ColumnText(11)).value_or(TimePoint{});
  message.scheduled = TimeFrom(row.ColumnText(12));
  message.sent = TimeFrom(row.ColumnText(13));
  message.final = TimeFrom(row.ColumnText(14));
  message.state = StateColumn(row, 15);
  message.detail = row.ColumnText(16);
  message.centre_time = row.ColumnText(17);
  message.unread = row.ColumnInt64(18) != 0;
  return message;
}

}  // namespace tolvane
