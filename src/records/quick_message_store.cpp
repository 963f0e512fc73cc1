#include "records/quick_message_store.h"

#include "platform/atomic_file.h"
#include "platform/text_codec.h"
#include "text/text_helpers.h"
#include "text/utf8.h"

namespace tolvane {

QuickMessageStore::QuickMessageStore(FileSystem& files) : files_(files) {}

int QuickMessageStore::Load(const std::string& program_folder) {
  loaded_ = false;
  messages_.clear();
  const std::optional<std::string> store =
      FindAnyCase(files_, program_folder, kQuickMessageFileName);
  const std::optional<std::string> temp =
      FindAnyCase(files_, program_folder, kQuickMessageTempName);
  path_ = store.value_or(program_folder + kQuickMessageFileName);
  temp_path_ = temp.value_or(program_folder + kQuickMessageTempName);

  std::optional<std::string> bytes;
  if (store) {
    // A temporary file beside the store is an unfinished rewrite: the store
    // still holds the list of the last one that finished.
    bytes = files_.Read(*store);
  } else if (temp) {
    // A rewrite that removed the store before renaming the new list over it
    // was stopped in between; the temporary file holds the list.
    bytes = files_.Read(*temp);
    if (bytes && files_.Rename(*temp, path_)) files_.FlushFolder(program_folder);
  } else if (files_.Create(path_)) {
    bytes.emplace();
  }
  if (!bytes) return kLoadError;
  messages_ = Decode(*bytes);
  loaded_ = true;
  return 0;
}

bool QuickMessageStore::Save() {
  return loaded_ && ReplaceFile(files_, path_, temp_path_, Encode(messages_));
}

std::string QuickMessageStore::Message(int number) const {
  if (number < 1 || number > Count()) return {};
  return messages_[number - 1];
}

void QuickMessageStore::Append(const std::string& text) {
  messages_.push_back(TrimTrailingBlanks(std::string(Utf8Prefix(text, kRecordSize))));
}

int QuickMessageStore::RemoveEqual(const std::string& text) {
  const std::string wanted = TrimTrailingBlanks(text);
  int removed = 0;
  for (size_t i = 0; i < messages_.size(); ++i) {
    if (messages_[i] == wanted) {
      messages_.erase(messages_.begin() + static_cast<std::ptrdiff_t>(i));
      ++removed;
    }
  }
  return removed;
}

std::string QuickMessageStore::Encode(const std::vector<std::string>& messages) {
  std::string bytes;
  bytes.reserve(messages.size() * kRecordSize);
  for (const std::string& message : messages) {
    std::string record = Utf8ToCp1252(message).substr(0, kRecordSize);
    record.resize(kRecordSize, ' ');
    bytes += record;
  }
  return bytes;
}

std::vector<std::string> QuickMessageStore::Decode(const std::string& bytes) {
  std::vector<std::string> messages;
  for (size_t at = 0; at + kRecordSize <= bytes.size(); at += kRecordSize) {
    messages.push_back(TrimTrailingBlanks(Cp1252ToUtf8(bytes.substr(at, kRecordSize))));
  }
  return messages;
}

}  // namespace tolvane
