#ifndef TOLVANE_TESTS_SUPPORT_QT_SIMULATOR_PROCESS_H_
#define TOLVANE_TESTS_SUPPORT_QT_SIMULATOR_PROCESS_H_

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <string>

namespace tolvane::testing {

// A simulator of the build (gateway-sim, modem-sim) as a process of its own,
// ended with the object.
class SimulatorProcess {
 public:
  SimulatorProcess() = default;
  // Starts `name` and waits for its address (`pattern`) in what it prints.
  SimulatorProcess(const std::string& name, const QStringList& arguments, const QString& pattern) {
    Start(name, arguments, pattern);
  }
  ~SimulatorProcess() { Stop(); }
  SimulatorProcess(const SimulatorProcess&) = delete;
  SimulatorProcess& operator=(const SimulatorProcess&) = delete;

  // The first match of `pattern` in its output; empty (a failure) when none.
  std::string Start(const std::string& name, const QStringList& arguments, const QString& pattern) {
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
  // What it printed since the last read, waiting at most `wait_ms`.
  std::string Read(int wait_ms) {
    if (process_.bytesAvailable() == 0) process_.waitForReadyRead(wait_ms);
    return process_.readAllStandardOutput().toStdString();
  }
  // Ends it; what it printed since it started and was not read yet.
  std::string Stop() {
    if (process_.state() != QProcess::NotRunning) {
      process_.terminate();
      if (!process_.waitForFinished(5000)) process_.kill();
      process_.waitForFinished(5000);
    }
    return process_.readAllStandardOutput().toStdString();
  }
  const std::string& Address() const { return address_; }

 private:
  QProcess process_;
  std::string address_;
};

// "http://127.0.0.1:PORT" and the like, as gateway-sim prints where it listens.
inline constexpr char kGatewayAddress[] = "https?://[0-9.:]+";

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_QT_SIMULATOR_PROCESS_H_
