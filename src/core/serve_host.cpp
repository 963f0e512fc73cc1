#include "core/serve_host.h"

namespace tolvane {

void ServeHost::Watch(MainWindow& window) {
  // Without a window nothing else renders the presenter's state.
  window.SetOnChanged([this, &window] {
    const std::string& status = window.Control(MainControl::kStatusLine).text;
    if (status != status_line_) {
      status_line_ = status;
      // Between sends and mail checks the line is the message box's counter.
      const bool busy = window.State().sending || window.MailCheckRunning();
      if (busy && !status.empty()) WriteLine(status);
    }
    const std::string& receipt = window.Control(MainControl::kReceiptLine).text;
    if (receipt != receipt_line_) {
      receipt_line_ = receipt;
      if (!receipt.empty()) WriteLine("Receipt: " + receipt);
    }
  });
}

void ServeHost::ShowReceiving(const std::string& text) {
  if (!text.empty()) WriteLine(text);
}

void ServeHost::ShowReceived(const std::string& sender, const std::string& text) {
  WriteLine("Received from " + sender + ": " + text.substr(0, text.find_first_of("\r\n")));
}

void ServeHost::WriteLine(const std::string& text) {
  std::string line = text;
  for (char& c : line) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
  }
  out_ << line << std::endl;
}

}  // namespace tolvane
