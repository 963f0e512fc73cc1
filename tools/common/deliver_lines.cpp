#include "deliver_lines.h"

#include <unistd.h>

#include <iostream>

namespace tolvane::tools {

DeliverLines::DeliverLines(Deliver deliver)
    : deliver_(std::move(deliver)), notifier_(STDIN_FILENO, QSocketNotifier::Read) {
  QObject::connect(&notifier_, &QSocketNotifier::activated, [this] { Read(); });
}

void DeliverLines::Read() {
  char bytes[4096];
  const ssize_t count = ::read(STDIN_FILENO, bytes, sizeof bytes);
  if (count <= 0) {
    notifier_.setEnabled(false);
    return;
  }
  pending_.append(bytes, static_cast<size_t>(count));
  for (size_t end = pending_.find('\n'); end != std::string::npos; end = pending_.find('\n')) {
    const std::string line = pending_.substr(0, end);
    pending_.erase(0, end + 1);
    std::string refusal;
    if (const std::optional<sim::DeliverOrder> order = sim::ReadDeliverLine(line)) {
      if (!deliver_(*order, refusal)) std::cerr << "deliver: " << refusal << std::endl;
    } else if (line.find_first_not_of(" \t\r") != std::string::npos) {
      std::cerr << "unknown command: " << line << " (try: deliver +46701234567 Hej!)" << std::endl;
    }
  }
}

}  // namespace tolvane::tools
