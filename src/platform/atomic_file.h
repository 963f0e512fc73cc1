#ifndef TOLVANE_PLATFORM_ATOMIC_FILE_H_
#define TOLVANE_PLATFORM_ATOMIC_FILE_H_

#include <string>

#include "platform/file_system.h"

namespace tolvane {

enum class ExistingPermissions { kKeep, kOwnerOnly };

// Replaces the file at `path` with `content` so that a reader, or the program
// after a crash at any moment, finds either the old or the new file, never a
// part-written one and never none: the content goes to `temp_path` in the
// same folder, is flushed to the disk, and the temporary file is renamed over
// the target. A new file is readable and writable by the owner only; an
// existing file keeps its permissions unless told otherwise. Returns false
// when anything fails (the old file is then untouched).
bool ReplaceFile(FileSystem& files, const std::string& path, const std::string& temp_path,
                 const std::string& content,
                 ExistingPermissions existing = ExistingPermissions::kKeep);

// The same on the program's files (ProgramFileSystem()), through `path` + ".tmp".
bool WriteFileAtomically(const std::string& path, const std::string& content,
                         ExistingPermissions existing = ExistingPermissions::kKeep);

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_ATOMIC_FILE_H_
