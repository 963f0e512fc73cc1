#ifndef TOLVANE_RECORDS_QUICK_MESSAGE_STORE_H_
#define TOLVANE_RECORDS_QUICK_MESSAGE_STORE_H_

#include <cstddef>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace tolvane {

inline constexpr char kQuickMessageFileName[] = "meddelnd.dat";
inline constexpr char kQuickMessageTempName[] = "Meddelnd.Tmp";

// The user's ready-made messages, kept in memory for the whole run and in
// meddelnd.dat in the program's folder: one 400-byte record per message, its
// Windows-1252 text padded with blanks, no header and no separators. Messages
// are held as UTF-8 without that padding; line breaks inside them stay CR LF.
class QuickMessageStore {
 public:
  static constexpr int kMaxMessages = 50;
  static constexpr size_t kRecordSize = 400;
  // Start-up's error number for a store that can be neither read nor created.
  static constexpr int kLoadError = 75;

  explicit QuickMessageStore(FileSystem& files);

  // Reads every whole record of the store in `program_folder` (which ends
  // with a separator), creating an empty store when there is none. Returns 0,
  // or kLoadError; the list is empty then and is never written over the file.
  int Load(const std::string& program_folder);
  // Rewrites the file with the list in memory. False when it could not; the
  // file then still holds the list of the last rewrite.
  bool Save();

  int Count() const { return static_cast<int>(messages_.size()); }
  // Message `number`, 1 to Count(); empty for any other number.
  std::string Message(int number) const;
  // Appends `text`, cut to one record; it must hold Windows-1252 characters
  // only (see FirstOutsideCp1252).
  void Append(const std::string& text);
  // Removes the messages equal to `text`, walking the list once from the
  // start: after a removal the message that moved into the freed place is
  // not compared again, so of two equal neighbours the second stays.
  // Returns how many went.
  int RemoveEqual(const std::string& text);

  // The file layout, both ways. Decoding ignores a trailing partial record.
  static std::string Encode(const std::vector<std::string>& messages);
  static std::vector<std::string> Decode(const std::string& bytes);

 private:
  FileSystem& files_;
  std::string path_;
  std::string temp_path_;
  bool loaded_ = false;
  std::vector<std::string> messages_;
};

}  // namespace tolvane

#endif  // TOLVANE_RECORDS_QUICK_MESSAGE_STORE_H_
