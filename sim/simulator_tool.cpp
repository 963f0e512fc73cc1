#include "sim/simulator_tool.h"

#include <iostream>
#include <stdexcept>

namespace tolvane::sim {
namespace {

volatile std::sig_atomic_t stop_requested = 0;

}  // namespace

bool ToolArguments::Next() {
  if (next_ >= args_.size()) return false;
  option_ = args_[next_++];
  return true;
}

std::string ToolArguments::Value() {
  if (next_ >= args_.size()) throw std::invalid_argument(option_ + " needs a value");
  return args_[next_++];
}

std::optional<int> ReadToolArguments(const char* name, int argc, char** argv, ToolUsage usage,
                                     const std::function<bool(ToolArguments&)>& parse) {
  try {
    ToolArguments arguments(argc, argv);
    while (arguments.Next()) {
      if (arguments.Option() == "--help" || arguments.Option() == "-h") {
        usage(std::cout);
        return 0;
      }
      if (!parse(arguments)) throw std::invalid_argument("unknown option " + arguments.Option());
    }
  } catch (const std::exception& error) {
    std::cerr << name << ": " << error.what() << "\n";
    usage(std::cerr);
    return 2;
  }
  return std::nullopt;
}

int RunSimulatorTool(const char* name, int argc, char** argv, ToolUsage usage,
                     const std::function<bool(ToolArguments&)>& parse,
                     const std::function<void(const volatile std::sig_atomic_t& stop)>& serve) {
  if (const std::optional<int> status = ReadToolArguments(name, argc, argv, usage, parse)) {
    return *status;
  }
  try {
    std::signal(SIGINT, [](int) { stop_requested = 1; });
    std::signal(SIGTERM, [](int) { stop_requested = 1; });
    serve(stop_requested);
  } catch (const std::exception& error) {
    std::cerr << name << ": " << error.what() << "\n";
    return 1;
  }
  return 0;
}

int CountArgument(const std::string& text) {
  size_t end = 0;
  int value = -1;
  try {
    value = std::stoi(text, &end);
  } catch (const std::exception&) {
  }
  if (value < 0 || end != text.size()) throw std::invalid_argument("not a count: " + text);
  return value;
}

}  // namespace tolvane::sim
