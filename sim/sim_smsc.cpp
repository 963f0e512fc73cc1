#include "sim/sim_smsc.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <utility>

#include "ucp/ucp_frame.h"

namespace tolvane::sim {
namespace {

constexpr char kStx = '\x02';
constexpr char kEtx = '\x03';

std::vector<std::string> SplitFields(const std::string& text) {
  std::vector<std::string> fields(1);
  for (char c : text) {
    if (c == '/') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

std::string Hex2(int value) {
  char digits[3];
  std::snprintf(digits, sizeof digits, "%02X", value & 0xFF);
  return digits;
}

// The frame text of `fields` (the second one, LEN, is filled in) with its checksum.
std::string Seal(std::vector<std::string> fields, SmscOptions::ChecksumFault fault) {
  fields[1] = "00000";
  std::string body;
  for (const std::string& field : fields) body += field + "/";
  char len[6];
  std::snprintf(len, sizeof len, "%05zu", body.size() + 2);
  body.replace(body.find('/') + 1, 5, len);
  std::string checksum = UcpChecksum(body);
  if (fault == SmscOptions::ChecksumFault::kWrong) {
    checksum = Hex2(std::stoi(checksum, nullptr, 16) + 1);
  } else if (fault == SmscOptions::ChecksumFault::kLowerCase) {
    for (char& c : checksum) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return body + checksum;
}

bool HasHexLetter(const std::string& checksum) {
  return checksum.find_first_of("ABCDEF") != std::string::npos;
}

}  // namespace

SimSmsc::SimSmsc(Scheduler schedule, SmscOptions options)
    : schedule_(std::move(schedule)), options_(std::move(options)) {}

void SimSmsc::SetToLine(std::function<void(const std::string&)> to_line) {
  to_line_ = std::move(to_line);
}

void SimSmsc::SetHangUp(std::function<void()> hang_up) { hang_up_ = std::move(hang_up); }

void SimSmsc::StartCall() {
  ++call_;
  in_call_ = true;
  buffer_.clear();
}

void SimSmsc::EndCall() {
  ++call_;
  in_call_ = false;
  buffer_.clear();
}

std::string SimSmsc::DeliveredText(const std::string& recipient) {
  return "Message for " + recipient + " delivered";
}

void SimSmsc::Receive(const std::string& bytes) {
  buffer_ += bytes;
  for (;;) {
    size_t stx = buffer_.find(kStx);
    if (stx == std::string::npos) {
      buffer_.clear();
      return;
    }
    size_t etx = buffer_.find(kEtx, stx);
    if (etx == std::string::npos) {
      buffer_.erase(0, stx);
      return;
    }
    std::string text = buffer_.substr(stx + 1, etx - stx - 1);
    buffer_.erase(0, etx + 1);
    HandleFrame(text);
  }
}

void SimSmsc::Write(const std::string& bytes) {
  if (in_call_ && to_line_) to_line_(bytes);
}

void SimSmsc::HandleFrame(const std::string& text) {
  std::vector<std::string> fields = SplitFields(text);
  if (fields.size() < 5) {
    problems_.push_back("short frame: " + text);
    return;
  }
  bool len_ok = fields[1].size() == 5 && fields[1] == [&] {
    char len[6];
    std::snprintf(len, sizeof len, "%05zu", text.size());
    return std::string(len);
  }();
  bool checksum_ok = UcpChecksum(text.substr(0, text.size() - 2)) == fields.back();
  if (!len_ok) problems_.push_back("LEN does not match: " + text);
  if (!checksum_ok) problems_.push_back("checksum does not match: " + text);

  const std::string& trn = fields[0];
  if (fields[2] == "O" && fields[3] == "30") {
    submits_.push_back(text);
    if (!checksum_ok || !len_ok || fields.size() < 15) {
      std::string code = checksum_ok ? "02" : "01";
      Later(options_.answer_delay_ms, [this, trn, code] {
        SendAnswer({Seal({trn, "", "R", "30", "N", code, ""}, SmscOptions::ChecksumFault::kNone)});
      });
      return;
    }
    HandleSubmit(text, fields);
  } else if (fields[2] == "R" && fields[3] == "01") {
    acknowledgements_.push_back(text);
    if (fields[4] != "A") problems_.push_back("acknowledgement is not positive: " + text);
    if (trn != pending_ack_reference_) {
      problems_.push_back("acknowledgement with reference " + trn + ", expected " +
                          pending_ack_reference_);
    }
    pending_ack_reference_.clear();
  } else {
    problems_.push_back("unexpected frame: " + text);
  }
}

void SimSmsc::HandleSubmit(const std::string&, const std::vector<std::string>& fields) {
  const std::string& trn = fields[0];
  if (options_.drop_carrier_after_submit) {
    Later(options_.answer_delay_ms, [this] {
      if (hang_up_) hang_up_();
    });
    return;
  }
  if (!options_.answer) return;
  if (options_.garbled_answer) {
    Later(options_.answer_delay_ms, [this, wire = *options_.garbled_answer] { Send({}, wire); });
    options_.garbled_answer.reset();
    return;
  }
  std::string code;
  if (auto refused = options_.refused_recipients.find(fields[4]);
      refused != options_.refused_recipients.end()) {
    code = refused->second;
  } else if (!options_.negative_codes.empty()) {
    code = options_.negative_codes.front();
    options_.negative_codes.pop_front();
  }
  if (!code.empty()) {
    Later(options_.answer_delay_ms, [this, trn, code] {
      SendAnswer({Seal({trn, "", "R", "30", "N", code, ""}, SmscOptions::ChecksumFault::kNone)});
    });
    return;
  }
  std::string positive = Seal({trn, "", "R", "30", "A", "", fields[4] + ":" + options_.time_stamp},
                              SmscOptions::ChecksumFault::kNone);
  const bool deferred = fields[10] == "1";
  bool wants_notification = options_.notify && fields[7] == "1" && !deferred;
  if (!wants_notification) {
    Later(options_.answer_delay_ms, [this, positive] { SendAnswer({positive}); });
    return;
  }
  // The acknowledgement of the notification is indexed by the caller's own
  // reference, so the notification carries the submit's reference.
  pending_ack_reference_ = trn;
  std::string notification = Notification(trn, fields);
  if (options_.together) {
    Later(options_.answer_delay_ms, [this, positive, notification] {
      SendAnswer({positive, notification});
    });
  } else {
    Later(options_.answer_delay_ms, [this, positive] { SendAnswer({positive}); });
    Later(options_.answer_delay_ms + options_.notify_delay_ms,
          [this, notification] { Send({notification}); });
  }
}

std::string SimSmsc::Notification(const std::string& trn, const std::vector<std::string>& submit) {
  const std::string& recipient = submit[4];
  const std::string& originator = submit[5];
  std::string text = DeliveredText(recipient);
  for (;;) {
    std::string amsg;
    for (unsigned char c : text) {
      std::string digits = EncodeIraChar(c);
      amsg += digits.size() == 1 ? "0" + digits : digits;
    }
    // Operation 53: AdC, OAdC, AC, NRq, NAdC, NT, NPID, LRq, LRAd, LPID, DD,
    // DDT, VP, RPID, SCTS, Dst, Rsn, DSCTS, MT, NB, AMsg and twelve more fields.
    std::vector<std::string> fields = {trn,
                                       "",
                                       "O",
                                       "53",
                                       originator,
                                       recipient,
                                       "",
                                       "",
                                       "",
                                       "",
                                       "",
                                       "",
                                       "",
                                       "",
                                       "",
                                       "",
                                       "",
                                       "",
                                       options_.time_stamp,
                                       "0",
                                       "000",
                                       options_.time_stamp,
                                       "3",
                                       "",
                                       amsg};
    fields.resize(fields.size() + 12);
    std::string frame = Seal(fields, options_.notification_checksum);
    // A lower-case checksum shows only when it has a letter in it.
    if (options_.notification_checksum != SmscOptions::ChecksumFault::kLowerCase ||
        HasHexLetter(Seal(fields, SmscOptions::ChecksumFault::kNone).substr(frame.size() - 2))) {
      notification_texts_.push_back(text);
      return frame;
    }
    text += ".";
  }
}

void SimSmsc::SendAnswer(const std::vector<std::string>& frames) {
  Send(frames, options_.before_answer);
}

void SimSmsc::Send(const std::vector<std::string>& frames, const std::string& lead) {
  std::string wire = lead;
  for (const std::string& frame : frames) wire += options_.noise + kStx + frame + kEtx;
  int pieces = std::max(1, std::min<int>(options_.split_reads, static_cast<int>(wire.size())));
  size_t size = (wire.size() + pieces - 1) / pieces;
  for (int i = 0; i < pieces; ++i) {
    std::string piece = wire.substr(i * size, size);
    if (piece.empty()) break;
    Later(i * 100, [this, piece] {
      if (to_line_) to_line_(piece);
    });
  }
}

void SimSmsc::Later(int milliseconds, std::function<void()> action) {
  schedule_(milliseconds, [this, call = call_, action = std::move(action)] {
    if (in_call_ && call == call_) action();
  });
}

}  // namespace tolvane::sim
