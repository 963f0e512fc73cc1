#include "core/program_location.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

#include "core/settings_file.h"
#include "platform/atomic_file.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;

bool IsWritableFolder(const std::string& folder) {
  return access(folder.empty() ? "." : folder.c_str(), W_OK) == 0;
}

// `folder` ends with a separator; so does the result.
std::string Normalised(const std::string& folder) {
  std::string normal = fs::path(folder).lexically_normal().string();
  if (normal.empty() || normal.back() != '/') normal += '/';
  return normal;
}

// Creates `folder` (with trailing separator) and any missing parents; the
// folder itself, when new, is open to its owner only.
bool MakeOwnerFolder(const std::string& folder) {
  const fs::path path = fs::path(folder).parent_path();
  std::error_code error;
  fs::create_directories(path.parent_path(), error);
  if (mkdir(path.c_str(), S_IRWXU) != 0 && errno != EEXIST) return false;
  return fs::is_directory(path, error);
}

}  // namespace

ProgramLocation::ProgramLocation(std::string folder)
    : folder_(folder), installed_folder_(std::move(folder)) {}

ProgramLocation::ProgramLocation(std::string folder, std::string installed_folder, bool per_user)
    : folder_(std::move(folder)),
      installed_folder_(std::move(installed_folder)),
      per_user_(per_user) {}

ProgramLocation ProgramLocation::Choose(const std::string& executable_path,
                                        const std::string& installed_data,
                                        const std::string& user_folder) {
  const std::string program_folder = ProgramFolderOf(executable_path);
  const bool has_phone_book = FileExists(program_folder + kPhoneBookFile);
  if ((has_phone_book && IsWritableFolder(program_folder)) || user_folder.empty()) {
    return ProgramLocation(program_folder);
  }
  // An unpacked copy on a read-only medium carries its files beside itself.
  std::string installed =
      has_phone_book ? program_folder : Normalised(program_folder + installed_data);
  return ProgramLocation(user_folder, std::move(installed), true);
}

bool ProgramLocation::Prepare() const {
  if (!per_user_) return true;
  const std::string phone_book = folder_ + kPhoneBookFile;
  if (FileExists(phone_book)) return true;
  std::ifstream in(installed_folder_ + kPhoneBookFile, std::ios::binary);
  if (!in) return false;
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return !in.bad() && PrepareFolder() && WriteFileAtomically(phone_book, content);
}

bool ProgramLocation::PrepareFolder() const { return !per_user_ || MakeOwnerFolder(folder_); }

}  // namespace tolvane
