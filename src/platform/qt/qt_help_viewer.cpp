#include "platform/qt/qt_help_viewer.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <QUrl>
#include <optional>

namespace tolvane {

QString QtHelpViewer::DefaultOpener() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
  // The desktop services start xdg-open and report success whatever becomes
  // of it, even when no browser is installed.
  return QStringLiteral("xdg-open");
#else
  return QString();
#endif
}

bool QtHelpViewer::ShowContents(const std::string& help_file) {
  QFileInfo file(QString::fromLocal8Bit(help_file.c_str()));
  if (!file.isFile() || !file.isReadable()) return false;
  const QUrl url = QUrl::fromLocalFile(file.absoluteFilePath());
  if (opener_.isEmpty()) return QDesktopServices::openUrl(url);

  // The opener may outlive this call (some wait for the browser to close): it
  // goes away when it ends, or with the application.
  auto* opener = new QProcess(QCoreApplication::instance());
  opener->setStandardOutputFile(QProcess::nullDevice());
  opener->setStandardErrorFile(QProcess::nullDevice());
  QObject::connect(opener, &QProcess::finished, opener, &QObject::deleteLater);
  opener->start(opener_, {url.toString()});
  if (!opener->waitForStarted()) {
    delete opener;
    return false;
  }
  std::optional<bool> opened;
  QEventLoop wait;
  QObject::connect(opener, &QProcess::finished, &wait,
                   [&opened, &wait](int code, QProcess::ExitStatus status) {
                     opened = status == QProcess::NormalExit && code == 0;
                     wait.quit();
                   });
  QTimer::singleShot(grace_ms_, &wait, &QEventLoop::quit);
  wait.exec();
  return opened.value_or(true);
}

}  // namespace tolvane
