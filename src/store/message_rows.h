#ifndef TOLVANE_STORE_MESSAGE_ROWS_H_
#define TOLVANE_STORE_MESSAGE_ROWS_H_

#include <optional>
#include <string>

#include "platform/event_loop.h"
#include "platform/sqlite_statement.h"
#include "store/stored_records.h"

struct sqlite3;

namespace tolvane {

// How messages.db holds messages, for the store and the readers that open
// it beside the store.

// A command-line run of the program may be writing for a moment.
inline constexpr int kStoreBusyTimeoutMs = 10000;

// Runs SQL without results; failures throw StoreError.
void ExecSql(sqlite3* db, const char* sql);

// Times are kept as UTC in ISO 8601 with milliseconds, which sort as text.
std::string TimeText(TimePoint time);
std::optional<TimePoint> TimeFrom(const std::string& text);

MessageState StateColumn(const SqliteStatement& statement, int column);

// The columns of `messages` in the order MessageFrom reads them.
extern const char kMessageColumns[];
// A row of those columns; its parts are not read.
StoredMessage MessageFrom(const SqliteStatement& row);

}  // namespace tolvane

#endif  // TOLVANE_STORE_MESSAGE_ROWS_H_
