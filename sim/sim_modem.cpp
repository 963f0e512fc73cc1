#include "sim/sim_modem.h"

#include <cctype>
#include <utility>

namespace tolvane::sim {
namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

SimModem::SimModem(Scheduler schedule, SimSmsc& smsc, ModemOptions options)
    : schedule_(std::move(schedule)), smsc_(smsc), options_(std::move(options)) {
  smsc_.SetToLine([this](const std::string& bytes) {
    if (carrier_ && to_dte_) to_dte_(bytes);
  });
  smsc_.SetHangUp([this] { DropCarrier(); });
}

void SimModem::SetToDte(std::function<void(const std::string&)> to_dte) {
  to_dte_ = std::move(to_dte);
}

void SimModem::SetOnCarrier(std::function<void(bool)> on_carrier) {
  on_carrier_ = std::move(on_carrier);
}

void SimModem::FromDte(const std::string& bytes) {
  if (carrier_) {
    smsc_.Receive(bytes);
    return;
  }
  if (options_.echo && to_dte_) to_dte_(bytes);
  for (char c : bytes) {
    if (c == '\r') {
      Command(line_);
      line_.clear();
    } else if (c != '\n') {
      line_ += c;
    }
  }
}

void SimModem::SetDtr(bool on) {
  bool dropped = dtr_ && !on;
  dtr_ = on;
  if (dropped) HangUp();
}

void SimModem::DropCarrier() {
  if (!carrier_) return;
  HangUp();
  if (to_dte_) to_dte_("\r\nNO CARRIER\r\n");
}

void SimModem::Command(const std::string& line) {
  std::string command = Upper(line);
  size_t at = command.find("AT");
  if (at == std::string::npos) return;
  commands_.push_back(line.substr(at));
  if (command.find('D', at + 2) == at + 2) {
    Dial();
    return;
  }
  if (command.find('H', at + 2) == at + 2) HangUp();
  switch (options_.init_reply) {
    case ModemOptions::InitReply::kOk:
      Later(options_.reply_delay_ms, [this] { Result("OK"); });
      break;
    case ModemOptions::InitReply::kError:
      Later(options_.reply_delay_ms, [this] { Result("ERROR"); });
      break;
    case ModemOptions::InitReply::kSilent:
      break;
  }
}

void SimModem::Dial() {
  ++dial_count_;
  Later(options_.dial_delay_ms, [this] {
    if (options_.busy_count > 0) {
      --options_.busy_count;
      Result("BUSY");
      return;
    }
    switch (options_.outcome) {
      case ModemOptions::DialOutcome::kConnect:
        Result(options_.connect_text);
        smsc_.StartCall();
        SetCarrier(true);
        break;
      case ModemOptions::DialOutcome::kNoDialtone:
        Result("NO DIALTONE");
        break;
      case ModemOptions::DialOutcome::kNoCarrier:
        Result("NO CARRIER");
        break;
      case ModemOptions::DialOutcome::kSilent:
        break;
    }
  });
}

void SimModem::Result(const std::string& text) {
  if (to_dte_) to_dte_("\r\n" + text + "\r\n");
}

void SimModem::SetCarrier(bool on) {
  if (carrier_ == on) return;
  carrier_ = on;
  if (on_carrier_) on_carrier_(on);
}

void SimModem::HangUp() {
  ++generation_;
  line_.clear();
  if (carrier_) smsc_.EndCall();
  SetCarrier(false);
}

void SimModem::Later(int milliseconds, std::function<void()> action) {
  schedule_(milliseconds, [this, generation = generation_, action = std::move(action)] {
    if (generation == generation_) action();
  });
}

}  // namespace tolvane::sim
