#ifndef TOLVANE_SIM_SIMULATOR_TOOL_H_
#define TOLVANE_SIM_SIMULATOR_TOOL_H_

#include <csignal>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tolvane::sim {

// The command line of a simulator tool: each option in turn, with its value
// when it takes one.
class ToolArguments {
 public:
  ToolArguments(int argc, char** argv) : args_(argv + 1, argv + argc) {}

  // Moves to the next option; false after the last.
  bool Next();
  const std::string& Option() const { return option_; }
  // The word after the option; throws std::invalid_argument when there is none.
  std::string Value();

 private:
  std::vector<std::string> args_;
  size_t next_ = 0;
  std::string option_;
};

// Prints a tool's usage text to the stream given.
using ToolUsage = void (*)(std::ostream&);
// Reads a tool's command line: `parse` takes one option and says whether it
// knew it. --help and -h print the usage on standard output and give 0; an
// unknown option or a bad value (an exception) is named on standard error
// with the usage and gives 2. nullopt when the tool goes on.
std::optional<int> ReadToolArguments(const char* name, int argc, char** argv, ToolUsage usage,
                                     const std::function<bool(ToolArguments&)>& parse);

// The body of a simulator tool's main: its command line as ReadToolArguments
// reads it, then `serve` runs until `stop` is set by SIGINT or SIGTERM; an
// exception out of it is printed and gives 1.
int RunSimulatorTool(const char* name, int argc, char** argv, ToolUsage usage,
                     const std::function<bool(ToolArguments&)>& parse,
                     const std::function<void(const volatile std::sig_atomic_t& stop)>& serve);

// A whole number from 0 on, for counts and milliseconds; throws otherwise.
int CountArgument(const std::string& text);

}  // namespace tolvane::sim

#endif  // TOLVANE_SIM_SIMULATOR_TOOL_H_
