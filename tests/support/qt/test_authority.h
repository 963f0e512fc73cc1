#ifndef TOLVANE_TESTS_SUPPORT_QT_TEST_AUTHORITY_H_
#define TOLVANE_TESTS_SUPPORT_QT_TEST_AUTHORITY_H_

#include <filesystem>

#include "support/temp_dir.h"

namespace tolvane::testing {

// A certificate authority of the test's own, made with the openssl tool, and a
// server certificate it signed for 127.0.0.1, so a TLS client can be shown to
// verify its peer without trusting anything of the machine's.
class TestAuthority {
 public:
  TestAuthority();

  // The authority's certificate, to be trusted by the client (PEM).
  std::filesystem::path AuthorityFile() const { return dir_.path() / "authority.pem"; }
  // The server's certificate and RSA key (PEM).
  std::filesystem::path ServerCertificate() const { return dir_.path() / "server.pem"; }
  std::filesystem::path ServerKey() const { return dir_.path() / "server.key"; }

 private:
  TempDir dir_;
};

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_QT_TEST_AUTHORITY_H_
