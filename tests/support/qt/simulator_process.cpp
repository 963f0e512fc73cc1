#include "support/qt/simulator_process.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

namespace tolvane::testing {

std::string SimulatorProcess::Start(const std::string& name, const QStringList& arguments,
                                    const QString& pattern) {
  process_.setProcessChannelMode(QProcess::SeparateChannels);
  process_.start(QString::fromStdString(TOLVANE_BIN_DIR "/" + name), arguments);
  EXPECT_TRUE(process_.waitForStarted()) << name;
  QString seen;
  QRegularExpression expression(pattern);
  while (process_.waitForReadyRead(10000)) {
    seen += QString::fromLocal8Bit(process_.readAllStandardOutput());
    QRegularExpressionMatch match = expression.match(seen);
    if (match.hasMatch()) return address_ = match.captured(0).toStdString();
  }
  ADD_FAILURE() << name << " printed no " << pattern.toStdString() << ": " << seen.toStdString();
  return "";
}

std::string SimulatorProcess::Read(int wait_ms) {
  if (process_.bytesAvailable() == 0) process_.waitForReadyRead(wait_ms);
  return process_.readAllStandardOutput().toStdString();
}

std::string SimulatorProcess::Stop() {
  if (process_.state() != QProcess::NotRunning) {
    process_.terminate();
    if (!process_.waitForFinished(5000)) process_.kill();
    process_.waitForFinished(5000);
  }
  return process_.readAllStandardOutput().toStdString();
}

}  // namespace tolvane::testing
