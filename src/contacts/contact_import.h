#ifndef TOLVANE_CONTACTS_CONTACT_IMPORT_H_
#define TOLVANE_CONTACTS_CONTACT_IMPORT_H_

#include <functional>

#include "contacts/import_plan.h"
#include "contacts/import_result.h"
#include "platform/phone_book_store.h"

namespace tolvane {

// Called now and then while an import runs, with the people done so far of
// all; a presenter shows a progress bar and processes pending events.
using ImportProgress = std::function<void(int done, int total)>;
// Asked as often as the progress: true stops the import, changing nothing.
using ImportCancelled = std::function<bool()>;

// A file of more people than this shows a progress bar while it comes in.
inline constexpr int kImportProgressThreshold = 1000;

// Brings the plan into the phone book in one transaction. Groups a person
// names are made when missing; a group keeps at most kMaxGroupMembers
// members, the first ones, and a detail says how many were left out. Rows the
// phone book refuses are skipped with their reason; a cancel or a failure of
// the store (a full disk) leaves the phone book as it was.
ImportResult ApplyImport(PhoneBookStore& store, const ImportPlan& plan,
                         const ImportProgress& progress = {},
                         const ImportCancelled& cancelled = {});

}  // namespace tolvane

#endif  // TOLVANE_CONTACTS_CONTACT_IMPORT_H_
