#include "support/qt/test_authority.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

namespace tolvane::testing {
namespace {

void Openssl(const std::filesystem::path& dir, const QStringList& arguments) {
  QProcess openssl;
  openssl.setWorkingDirectory(QString::fromStdString(dir.string()));
  openssl.start("openssl", arguments);
  ASSERT_TRUE(openssl.waitForFinished(60000)) << "openssl did not finish";
  ASSERT_EQ(openssl.exitCode(), 0) << openssl.readAllStandardError().toStdString();
}

}  // namespace

TestAuthority::TestAuthority() {
  const QStringList new_certificate = {"req",    "-x509", "-newkey", "rsa:2048",
                                       "-nodes", "-days", "2"};
  Openssl(dir_.path(),
          new_certificate + QStringList{"-subj", "/CN=Tolvane Test Authority", "-keyout",
                                        "authority.key", "-out", "authority.pem"});
  Openssl(dir_.path(),
          new_certificate + QStringList{"-subj", "/CN=127.0.0.1", "-addext",
                                        "basicConstraints=critical,CA:FALSE", "-addext",
                                        "subjectAltName=IP:127.0.0.1", "-CA", "authority.pem",
                                        "-CAkey", "authority.key", "-keyout", "server.key", "-out",
                                        "server.pem"});
}

}  // namespace tolvane::testing
