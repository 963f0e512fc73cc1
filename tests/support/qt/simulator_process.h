#ifndef TOLVANE_TESTS_SUPPORT_QT_SIMULATOR_PROCESS_H_
#define TOLVANE_TESTS_SUPPORT_QT_SIMULATOR_PROCESS_H_

#include <QProcess>
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

  // The first match of `pattern` in its output; empty (and a failure) when
  // none came.
  std::string Start(const std::string& name, const QStringList& arguments, const QString& pattern);
  // Waits at most `wait_ms` for more output; what it printed since the last
  // read.
  std::string Read(int wait_ms);
  // Ends it; what it printed since it started and was not read yet.
  std::string Stop();
  const std::string& Address() const { return address_; }

 private:
  QProcess process_;
  std::string address_;
};

// "http://127.0.0.1:PORT" and the like, as gateway-sim prints where it listens.
inline constexpr char kGatewayAddress[] = "https?://[0-9.:]+";

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_QT_SIMULATOR_PROCESS_H_
