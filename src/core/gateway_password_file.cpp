#include "core/gateway_password_file.h"

#include <fstream>
#include <optional>

#include "core/settings_file.h"
#include "platform/atomic_file.h"
#include "platform/password_cipher.h"

namespace tolvane {
namespace {

constexpr const char* kDecoyPrefix = "RUB\xD5";
constexpr const char* kDecoySuffix = "\xC8\xBB";

std::string ReadLine(std::istream& in) {
  std::string line;
  std::getline(in, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace

std::string ReadGatewayPassword(const std::string& program_folder) {
  const std::string path = program_folder + kGatewayPasswordFileName;
  if (!FileExists(path)) return {};
  std::ifstream in(path, std::ios::binary);
  ReadLine(in);  // the decoy line
  const std::string encrypted = ReadLine(in);
  if (encrypted.empty()) return {};
  return Decrypt(encrypted, kPasswordKey).value_or("");
}

bool WriteGatewayPassword(const std::string& program_folder, const std::string& password) {
  if (password.empty()) return true;
  const std::string encrypted = Encrypt(password, kPasswordKey);
  if (encrypted.empty()) return false;
  // Whatever permissions an old file had, the password stays the owner's only.
  return WriteFileAtomically(program_folder + kGatewayPasswordFileName,
                             kDecoyPrefix + encrypted + kDecoySuffix + "\r\n" + encrypted + "\r\n",
                             ExistingPermissions::kOwnerOnly);
}

}  // namespace tolvane
