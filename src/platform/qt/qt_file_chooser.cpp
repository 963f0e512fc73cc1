#include "platform/qt/qt_file_chooser.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>

#include "platform/qt/qt_text.h"

namespace tolvane {

namespace {

// "CSV file (*.csv *.txt)", or "(*)" for every file.
QString Filter(const FileKind& kind) {
  QStringList patterns;
  for (const std::string& extension : kind.extensions) patterns << "*." + ToQString(extension);
  if (patterns.isEmpty()) patterns << "*";
  return ToQString(kind.description) + " (" + patterns.join(' ') + ")";
}

QStringList Filters(const std::vector<FileKind>& kinds) {
  QStringList filters;
  for (const FileKind& kind : kinds) filters << Filter(kind);
  return filters;
}

}  // namespace

std::optional<std::string> QtFileChooser::ChooseFileToOpen(const std::string& title,
                                                           const std::vector<FileKind>& kinds) {
  const QString path = QFileDialog::getOpenFileName(QApplication::activeWindow(), ToQString(title),
                                                    folder_.isEmpty() ? QDir::homePath() : folder_,
                                                    Filters(kinds).join(";;"));
  if (path.isEmpty()) return std::nullopt;
  folder_ = QFileInfo(path).absolutePath();
  return FromQString(QDir::toNativeSeparators(path));
}

std::optional<ChosenFile> QtFileChooser::ChooseFileToSave(const std::string& title,
                                                          const std::vector<FileKind>& kinds) {
  const QStringList filters = Filters(kinds);
  QFileDialog dialog(QApplication::activeWindow(), ToQString(title),
                     folder_.isEmpty() ? QDir::homePath() : folder_);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters(filters);
  // The dialog adds the chosen kind's extension before it asks about
  // overwriting, so it asks about the file that is written.
  auto use_kind = [&](const QString& filter) {
    const int kind = static_cast<int>(filters.indexOf(filter));
    const bool known = kind >= 0 && !kinds[kind].extensions.empty();
    dialog.setDefaultSuffix(known ? ToQString(kinds[kind].extensions.front()) : QString());
  };
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, use_kind);
  use_kind(filters.value(0));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const QString path = dialog.selectedFiles().front();
  folder_ = QFileInfo(path).absolutePath();
  return ChosenFile{FromQString(QDir::toNativeSeparators(path)),
                    std::max(0, static_cast<int>(filters.indexOf(dialog.selectedNameFilter())))};
}

}  // namespace tolvane
