#ifndef TOLVANE_CONTACTS_IMPORT_RESULT_H_
#define TOLVANE_CONTACTS_IMPORT_RESULT_H_

#include <string>
#include <vector>

namespace tolvane {

// What an import did. A cancelled or failed import changed nothing.
struct ImportResult {
  int added = 0;
  int updated = 0;
  int skipped = 0;
  // One line for each skipped row ("Line 12: Anna Berg: ...") and each group
  // cut at its limit, in file order.
  std::vector<std::string> details;
  bool cancelled = false;
  // Why the phone book could not take the import; empty when it did.
  std::string failure;

  bool Changed() const { return !cancelled && failure.empty(); }
  // The line the user sees at the end: "312 added, 4 updated, 7 skipped (see
  // details)", the note only when there are details; or why nothing was
  // imported.
  std::string Summary() const;
};

}  // namespace tolvane

#endif  // TOLVANE_CONTACTS_IMPORT_RESULT_H_
