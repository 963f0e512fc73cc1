#ifndef TOLVANE_TESTS_SUPPORT_QT_TEST_AUTHORITY_H_
#define TOLVANE_TESTS_SUPPORT_QT_TEST_AUTHORITY_H_

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>
#include <filesystem>

#include "support/temp_dir.h"

namespace tolvane::testing {

// A certificate authority of the test's own and a server certificate it
// signed for 127.0.0.1, made with the openssl tool.
class TestAuthority {
 public:
  TestAuthority() {
    const QStringList new_certificate = {"req",    "-x509", "-newkey", "rsa:2048",
                                         "-nodes", "-days", "2"};
    Openssl(new_certificate + QStringList{"-subj", "/CN=Tolvane Test Authority", "-keyout",
                                          "authority.key", "-out", "authority.pem"});
    Openssl(new_certificate +
            QStringList{"-subj", "/CN=127.0.0.1", "-addext", "basicConstraints=critical,CA:FALSE",
                        "-addext", "subjectAltName=IP:127.0.0.1", "-CA", "authority.pem", "-CAkey",
                        "authority.key", "-keyout", "server.key", "-out", "server.pem"});
  }

  // The authority's certificate, to be trusted by the client (PEM).
  std::filesystem::path AuthorityFile() const { return dir_.path() / "authority.pem"; }
  // The server's certificate and RSA key (PEM).
  std::filesystem::path ServerCertificate() const { return dir_.path() / "server.pem"; }
  std::filesystem::path ServerKey() const { return dir_.path() / "server.key"; }

 private:
  void Openssl(const QStringList& arguments) {
    QProcess openssl;
    openssl.setWorkingDirectory(QString::fromStdString(dir_.path().string()));
    openssl.start("openssl", arguments);
    ASSERT_TRUE(openssl.waitForFinished(60000)) << "openssl did not finish";
    ASSERT_EQ(openssl.exitCode(), 0) << openssl.readAllStandardError().toStdString();
  }

  TempDir dir_;
};

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_QT_TEST_AUTHORITY_H_
