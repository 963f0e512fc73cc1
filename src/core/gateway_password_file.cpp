#include "core/gateway_password_file.h"

#include <fstream>
#include <optional>

#include "core/settings_file.h"
#include "platform/atomic_file.h"
#include "platform/password_cipher.h"
#include "platform/text_codec.h"

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
  return Cp1252ToUtf8(Decrypt(encrypted, kPasswordKey).value_or(""));
}

bool WriteGatewayPassword(const std::string& program_folder, const std::string& password) {
  if (password.empty()) return true;
  // The file keeps the password in the code page other programs read it in.
  if (FirstOutsideCp1252(password)) return false;
  const std::string encrypted = Encrypt(Utf8ToCp1252(password), kPasswordKey);
  if (encrypted.empty()) return false;
  // Whatever permissions an old file had, the password stays the owner's only.
  return WriteFileAtomically(program_folder + kGatewayPasswordFileName,
                             kDecoyPrefix + encrypted + kDecoySuffix + "\r\n" + encrypted + "\r\n",
                             ExistingPermissions::kOwnerOnly);
}

}  // namespace tolvane
