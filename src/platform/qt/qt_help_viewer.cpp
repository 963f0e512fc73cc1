#include "platform/qt/qt_help_viewer.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace tolvane {

bool QtHelpViewer::ShowContents(const std::string& help_file) {
  QFileInfo file(QString::fromLocal8Bit(help_file.c_str()));
  if (!file.isFile() || !file.isReadable()) return false;
  return QDesktopServices::openUrl(QUrl::fromLocalFile(file.absoluteFilePath()));
}

}  // namespace tolvane
