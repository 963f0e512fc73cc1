#include "core/receiving.h"

#include <utility>

#include "records/log_file.h"
#include "records/log_record.h"

namespace tolvane {

Receiving::Receiving(MainWindow& window, PhoneBookStore& phone_book,
                     std::function<void(const std::string&)> show_status,
                     std::function<void(const std::string&, const std::string&)> show_received)
    : window_(window),
      phone_book_(phone_book),
      show_received_(std::move(show_received)),
      keeper_(window.Loop(), std::move(show_status), [&window] { return window.State().sending; }) {
}

Receiving::~Receiving() = default;

void Receiving::Start() {
  inbox_ = std::make_unique<Inbox>(window_.Messages().Store(), window_.Loop(), *this,
                                   window_.Settings().inbox);
  window_.SetInbox(inbox_.get());
  inbox_->StoreOverdue();
}

void Receiving::Listen() {
  keeper_.Keep(window_.Settings().inbox.Listen ? &window_.ActiveTransport() : nullptr);
}

std::string Receiving::State() const {
  if (!keeper_.Keeping()) return "off";
  return keeper_.Connected() ? "connected" : "reconnecting";
}

std::string Receiving::NameOf(const std::string& number) {
  // The phone book may have changed since the last message.
  return names_.Update(&phone_book_).NameOf(number);
}

void Receiving::LogReceived(const std::string& sender, const std::string& text) {
  if (show_received_) show_received_(sender, text);
  const ProgramSettings& settings = window_.Settings();
  if (!settings.LoggOn) return;
  const LogRecord record = LogRecord::At(window_.Loop().Now(), sender, kLogReceivedResult, text);
  if (int error = WriteLogRecord(settings.ProgramFolder, record)) {
    window_.SetReceiptLine(LogWriteErrorText(error));
  }
}

}  // namespace tolvane
