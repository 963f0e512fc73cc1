#include "core/secret_store.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <utility>
#include <vector>

#include "core/gateway_password_file.h"
#include "core/secret_names.h"
#include "platform/atomic_file.h"
#include "platform/password_cipher.h"

namespace tolvane {
namespace {

std::string KeyOf(std::string_view name) {
  return std::string(kPasswordKey) + ":" + std::string(name);
}

// The file's lines without their line breaks; none when there is no file, and
// nullopt when there is one that cannot be read.
std::optional<std::vector<std::string>> ReadLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  if (!in) {
    std::error_code error;
    if (std::filesystem::exists(path, error) || error) return std::nullopt;
    return lines;
  }
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(std::move(line));
  }
  if (in.bad()) return std::nullopt;
  return lines;
}

bool HoldsName(const std::string& line, std::string_view name) {
  return line.size() > name.size() && line.compare(0, name.size(), name) == 0 &&
         line[name.size()] == '=';
}

}  // namespace

SecretStore::SecretStore(std::string program_folder) : program_folder_(std::move(program_folder)) {}

std::string SecretStore::ReadSecret(std::string_view name) const {
  if (name == kGatewaySecret) return ReadGatewayPassword(program_folder_);
  for (const std::string& line : ReadLines(Path()).value_or(std::vector<std::string>{})) {
    if (HoldsName(line, name)) {
      return Decrypt(line.substr(name.size() + 1), KeyOf(name)).value_or("");
    }
  }
  return {};
}

bool SecretStore::WriteSecret(std::string_view name, const std::string& value) const {
  if (name == kGatewaySecret) return WriteGatewayPassword(program_folder_, value);
  if (value.empty()) return true;
  const std::string encrypted = Encrypt(value, KeyOf(name));
  if (encrypted.empty()) return false;
  return ReplaceLine(name, std::string(name) + "=" + encrypted);
}

bool SecretStore::ForgetSecret(std::string_view name) const {
  if (name == kGatewaySecret) return false;
  return ReplaceLine(name, "");
}

bool SecretStore::ReplaceLine(std::string_view name, const std::string& new_line) const {
  const std::optional<std::vector<std::string>> lines = ReadLines(Path());
  if (!lines) return false;
  // The other lines stay as they were, damaged ones included, and in place.
  std::string content;
  bool replaced = false;
  for (const std::string& line : *lines) {
    if (!HoldsName(line, name)) {
      content += line + "\r\n";
    } else if (!replaced) {
      if (!new_line.empty()) content += new_line + "\r\n";
      replaced = true;
    }
  }
  if (!replaced && new_line.empty()) return true;
  if (!replaced) content += new_line + "\r\n";
  return WriteFileAtomically(Path(), content, ExistingPermissions::kOwnerOnly);
}

}  // namespace tolvane
