#ifndef TOLVANE_CORE_SECRET_STORE_H_
#define TOLVANE_CORE_SECRET_STORE_H_

#include <string>
#include <string_view>

namespace tolvane {

// The secrets of the program folder, by the names the transports give. The gateway
// password lives in user.dat (gateway_password_file.h); every other secret is
// one CR LF line of secrets.dat, the name, "=" and the value encrypted under
// the program's key joined with the name, so a line copied to another name
// does not read. A damaged line reads as empty and leaves the others alone.
class SecretStore {
 public:
  static constexpr const char* kFileName = "secrets.dat";

  // `program_folder` ends with a separator.
  explicit SecretStore(std::string program_folder);

  // The stored value; empty when there is none or it cannot be read.
  std::string ReadSecret(std::string_view name) const;
  // Replaces the value of `name` (a name holds no "=", CR or LF), rewriting
  // the file whole and owner-only. An empty value leaves the stored one, as
  // for user.dat. False when the file cannot be written; it is then as before.
  bool WriteSecret(std::string_view name, const std::string& value) const;
  // Drops the value of `name` from secrets.dat (not the gateway password), so
  // it reads as empty until one is written again. False when the file cannot
  // be written.
  bool ForgetSecret(std::string_view name) const;

 private:
  std::string Path() const { return program_folder_ + kFileName; }
  // Rewrites secrets.dat with `new_line` in place of the line of `name`
  // (appended when there was none), or without it when `new_line` is empty.
  bool ReplaceLine(std::string_view name, const std::string& new_line) const;

  std::string program_folder_;
};

}  // namespace tolvane

#endif  // TOLVANE_CORE_SECRET_STORE_H_
