#ifndef TOLVANE_PLATFORM_PHONE_BOOK_STORE_H_
#define TOLVANE_PLATFORM_PHONE_BOOK_STORE_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/record_cursor.h"
#include "platform/store_error.h"

namespace tolvane {

// Attribute bits of the database's own tables; they are never phone-book tables.
inline constexpr std::uint32_t kSystemTableAttributes = 0x80000002;

// The phone-book table of every person, and its fields (also those of a group).
inline constexpr char kPhoneBookTable[] = "Telelist";
inline constexpr char kFieldNamn[] = "Namn";
inline constexpr char kFieldTelenummer[] = "Telenummer";
inline constexpr char kFieldOperator[] = "Operator";
// The case-folded name (platform/name_key.h), kept by the program so that names
// are unique without regard to letter case through a plain unique index.
inline constexpr char kFieldNamnKey[] = "NamnKey";
inline constexpr int kNamnSize = 40;
inline constexpr int kTelenummerSize = 20;
inline constexpr int kOperatorSize = 1;

struct TableInfo {
  std::string name;
  std::uint32_t attributes = 0;
};

// Two records of one table whose names are the same name without regard to
// letter case. The second (and the first too, when it had no key yet) was left
// without its name key.
struct NameClash {
  std::string table;
  std::string name;
  std::string other;
  bool operator==(const NameClash&) const = default;
};

// Which writes a phone-book database had seen when it was taken: another
// one means the people or groups may have changed since.
struct PhoneBookRevision {
  std::int64_t opened = 0;  // files opened by the store
  std::int64_t others = 0;  // commits of other programs
  std::int64_t own = 0;     // rows written through the store
  bool operator==(const PhoneBookRevision&) const = default;
};

// The phone-book database (teledata.mdb): the people in Telelist and one table
// per group. Texts are UTF-8. Failures throw StoreError.
class PhoneBookStore {
 public:
  virtual ~PhoneBookStore() = default;

  // Opens the database file read-write; a missing file is an error, never
  // created. Gives every record that another program wrote or renamed its
  // name key.
  virtual void Open(const std::string& path) = 0;
  // The names Open could not give a key, as another holds it.
  virtual const std::vector<NameClash>& NameClashes() const = 0;
  // Every table in the database's order, its own tables flagged with
  // kSystemTableAttributes.
  virtual std::vector<TableInfo> Tables() = 0;
  // A cursor on the whole table. It keeps the database open while it lives.
  virtual std::unique_ptr<RecordCursor> OpenCursor(const std::string& table) = 0;
  // Adds a table with the text fields Namn (40), Telenummer (20) and Operator
  // (1), the unique index NamnIdx on Namn and the name key;
  // kStoreErrorTableExists when a table of that name exists in any letter case.
  virtual void CreateTable(const std::string& table) = 0;
  virtual void DeleteTable(const std::string& table) = 0;
  // Runs `change` (writes through this store and its cursors) as one
  // transaction: when it throws, the database is left as it was and the
  // exception goes on.
  virtual void AllOrNothing(const std::function<void()>& change) = 0;
  // Cheap to take, so that a reader keeps what it read until it changes.
  virtual PhoneBookRevision Revision() = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_PHONE_BOOK_STORE_H_
