#ifndef TOLVANE_PLATFORM_RECORD_CURSOR_H_
#define TOLVANE_PLATFORM_RECORD_CURSOR_H_

#include <string>

#include "platform/store_error.h"

namespace tolvane {

// A cursor on one table of the phone-book database, walking it in table order
// and seeing the records appended through it. Texts are UTF-8. Failures throw
// StoreError.
//
// A fresh cursor stands on the first record; on an empty table it is at the
// start and at the end at once. Moving cancels an AddNew or Edit not yet
// written by Update.
class RecordCursor {
 public:
  virtual ~RecordCursor() = default;

  // Before the first record (only on an empty table).
  virtual bool Bof() const = 0;
  // Past the last record.
  virtual bool Eof() const = 0;
  // On an empty table this leaves the cursor at the start and the end.
  virtual void MoveFirst() = 0;
  // At the end this stays at the end.
  virtual void MoveNext() = 0;
  // Moves to the first record whose Namn equals name exactly, through the name
  // index; at the end when there is none.
  virtual bool SeekName(const std::string& name) = 0;

  // A field of the current record by name ("" for a field never set).
  virtual std::string Field(const std::string& name) const = 0;

  // Starts a new record, or a change of the current one; SetField fills it and
  // Update writes it. The cursor keeps its place.
  virtual void AddNew() = 0;
  virtual void Edit() = 0;
  virtual void SetField(const std::string& name, const std::string& value) = 0;
  virtual void Update() = 0;

  // Deletes the current record; MoveNext then goes to the record after it.
  virtual void Delete() = 0;
  virtual void Close() = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_RECORD_CURSOR_H_
