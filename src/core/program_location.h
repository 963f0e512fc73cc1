#ifndef TOLVANE_CORE_PROGRAM_LOCATION_H_
#define TOLVANE_CORE_PROGRAM_LOCATION_H_

#include <string>

namespace tolvane {

// Where the program keeps its data files (the program folder) and where it
// finds the files installed with it (the manual and the empty phone book).
//
// A portable program lies in a writable folder of its own that holds
// teledata.mdb, and keeps everything there. An installed program keeps its
// data in a per-user folder, filled at the first start with the empty phone
// book installed beside it or in the shared-data folder named relative to it.
class ProgramLocation {
 public:
  static constexpr const char* kPhoneBookFile = "teledata.mdb";
  // Every message sent and received.
  static constexpr const char* kMessageStoreFile = "messages.db";
  static constexpr const char* kManualFile = "tolvmsg.html";

  // A portable program in `folder` (with trailing separator). Implicit: a
  // folder alone names a portable program.
  ProgramLocation(std::string folder);  // NOLINT(google-explicit-constructor)

  // Applies the rule to the executable at `executable_path`. `installed_data`
  // is the shared-data folder relative to the executable's folder (such as
  // "../share/tolvane/"); `user_folder` is the per-user data folder, both with
  // trailing separators. Without a per-user folder (no home) the program stays
  // in the executable's folder.
  static ProgramLocation Choose(const std::string& executable_path,
                                const std::string& installed_data, const std::string& user_folder);

  // The program folder: every data file lies here.
  const std::string& Folder() const { return folder_; }
  // The folder of the manual and the empty phone book.
  const std::string& InstalledFolder() const { return installed_folder_; }
  bool PerUser() const { return per_user_; }

  // Makes a per-user folder ready: creates it readable by its owner only and
  // copies the empty phone book into it when it holds none. Does nothing for
  // a portable program. False when the folder or the copy cannot be made; the
  // start-up then reports the missing phone book.
  bool Prepare() const;
  // Only makes sure the program folder exists: a per-user folder is created
  // readable by its owner only, and left empty. False when it cannot be made.
  bool PrepareFolder() const;

 private:
  ProgramLocation(std::string folder, std::string installed_folder, bool per_user);

  std::string folder_;
  std::string installed_folder_;
  bool per_user_ = false;
};

}  // namespace tolvane

#endif  // TOLVANE_CORE_PROGRAM_LOCATION_H_
