#ifndef TOLVANE_PLATFORM_ATOMIC_FILE_H_
#define TOLVANE_PLATFORM_ATOMIC_FILE_H_

#include <string>

namespace tolvane {

// Replaces the file at `path` with `content` so that a reader sees either the
// old or the new file, never a part-written one: the content goes to a
// temporary file in the same folder, which is then renamed over the target.
// A new file is readable and writable by the owner only; an existing file
// keeps its permissions unless told otherwise. Returns false when anything
// fails (the old file is then untouched).
enum class ExistingPermissions { kKeep, kOwnerOnly };
bool WriteFileAtomically(const std::string& path, const std::string& content,
                         ExistingPermissions existing = ExistingPermissions::kKeep);

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_ATOMIC_FILE_H_
