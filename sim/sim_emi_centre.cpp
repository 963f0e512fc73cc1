#include "sim/sim_emi_centre.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <utility>

#include "emi/emi_operations.h"
#include "platform/text_codec.h"
#include "sms/gsm_alphabet.h"
#include "sms/hex_octets.h"
#include "sms/sms_address.h"
#include "text/utf8.h"

namespace tolvane::sim {
namespace {

constexpr size_t kFieldCount5x = 33;
constexpr char kStx = '\x02';
constexpr char kEtx = '\x03';

// A day and a time of the centre's clock, `seconds` after 10:00 on 8 December 2026.
std::string Stamp(int seconds) {
  char text[16];
  std::snprintf(text, sizeof text, "081226%02d%02d%02d", (10 + seconds / 3600) % 24,
                seconds / 60 % 60, seconds % 60);
  return text;
}

std::string Field(const std::vector<std::string>& fields, size_t at) {
  return at < fields.size() ? fields[at] : std::string();
}

// AMsg: GSM 03.38 code points (the extension table behind 1B), or ASCII.
std::string AMsgHex(const std::string& text, bool ira) {
  if (ira) return ToHex(text);
  return ToHex(ToGsmSeptets(DecodeUtf8(text)).value_or(""));
}

// The part an op 51 (or op 30) carries: AdC, the XSer user-data header
// (type 01, its length octet first) and data coding (type 02), and the text:
// AMsg in the centre's alphabet for MT 3 and op 30, TMsg as UCS-2 or octets
// as the DCS says for MT 4. Nothing when XSer is not sound.
std::optional<TakenPart> SubmittedPart(const UcpFrame& frame, bool ira) {
  const bool dial_up = frame.operation == kOperationDialUpSubmit;
  TakenPart part;
  part.destination = Field(frame.fields, 0);
  const std::string octets = FromHex(Field(frame.fields, dial_up ? 9 : 20)).value_or("");
  const UserDataCoding alphabet = ira ? UserDataCoding::kOctets : UserDataCoding::kGsmSeptets;
  if (dial_up) {
    part.text = DecodeUserText(octets, alphabet);
    return part;
  }
  const std::optional<std::string> xser = FromHex(Field(frame.fields, 30));
  if (!xser) return std::nullopt;
  UserDataCoding coding = UserDataCoding::kOctets;
  for (size_t at = 0; at < xser->size();) {
    if (at + 2 > xser->size()) return std::nullopt;
    const size_t length = static_cast<unsigned char>((*xser)[at + 1]);
    if (at + 2 + length > xser->size()) return std::nullopt;
    const std::string_view data = std::string_view(*xser).substr(at + 2, length);
    if ((*xser)[at] == 0x01 && !ReadConcatenation(data, part)) return std::nullopt;
    if ((*xser)[at] == 0x02 && length == 1 &&
        CodingOfDcs(static_cast<unsigned char>(data[0])) == UserDataCoding::kUcs2) {
      coding = UserDataCoding::kUcs2;
    }
    at += 2 + length;
  }
  part.text = DecodeUserText(octets, Field(frame.fields, 18) == "3" ? alphabet : coding);
  return part;
}

}  // namespace

SimEmiCentre::SimEmiCentre(Scheduler schedule, EmiCentreOptions options)
    : schedule_(std::move(schedule)), options_(std::move(options)) {}

bool SimEmiCentre::Accept() {
  if (options_.refused_connections > 0) {
    --options_.refused_connections;
    Note("connection refused");
    return false;
  }
  ++session_;
  ++connections_;
  connected_ = true;
  logged_in_ = false;
  reader_ = EmiFrameReader();
  awaiting_.clear();
  outstanding_ = 0;
  Note("connected");
  return true;
}

void SimEmiCentre::ClientClosed() {
  EndSession();
  Note("client closed the connection");
}

void SimEmiCentre::Drop() {
  EndSession();
  Note("connection dropped");
  if (drop_client_) drop_client_();
}

void SimEmiCentre::EndSession() {
  connected_ = logged_in_ = false;
  ++session_;
  std::deque<Notification> unanswered;
  std::vector<QueuedPart> messages;
  for (Awaited& awaited : std::exchange(awaiting_, {})) {
    if (awaited.notification) unanswered.push_back(std::move(*awaited.notification));
    if (awaited.message) messages.push_back({logins_accepted_ + 1, std::move(*awaited.message)});
  }
  if (!messages.empty()) Note(std::to_string(messages.size()) + " op 52 kept unanswered");
  queued_.insert(queued_.begin(), messages.begin(), messages.end());
  if (!unanswered.empty()) Note(std::to_string(unanswered.size()) + " op 53 kept unanswered");
  held_.insert(held_.begin(), unanswered.begin(), unanswered.end());
}

void SimEmiCentre::Note(const std::string& event) {
  if (on_event_) on_event_(event);
}

std::vector<std::string> SimEmiCentre::Operations() const {
  std::vector<std::string> operations;
  for (const std::string& text : received_) operations.push_back(text.substr(9, 4));
  return operations;
}

void SimEmiCentre::FromClient(const std::string& bytes) {
  if (!connected_) return;
  for (const std::string& text : reader_.Feed(bytes)) {
    const std::optional<UcpFrame> frame = ReadUcpFrame(text);
    if (!frame) {
      problems_.push_back(text);
      Note("unsound frame: " + text);
      continue;
    }
    received_.push_back(text);
    Handle(*frame);
    if (!connected_) return;
  }
}

void SimEmiCentre::Handle(const UcpFrame& frame) {
  if (frame.result) {
    const auto awaited = std::find_if(awaiting_.begin(), awaiting_.end(), [&](const Awaited& sent) {
      return sent.transaction_reference == frame.transaction_reference;
    });
    const bool positive = Field(frame.fields, 0) == "A";
    Note("answer " + frame.operation + " to " + std::to_string(frame.transaction_reference) +
         (positive ? "" : ": " + Field(frame.fields, 0) + " " + Field(frame.fields, 1)));
    if (awaited == awaiting_.end()) return;
    const std::optional<MessagePart> message = std::move(awaited->message);
    awaiting_.erase(awaited);
    if (!message) return;
    const bool acknowledged = positive && frame.operation == kOperationDeliver;
    Delivery(acknowledged ? "acknowledged" : "refused", message->described);
    // A centre delivers a refused message again later: after the next login.
    if (!acknowledged) queued_.push_back({logins_accepted_ + 1, *message});
    return;
  }
  if (frame.operation == kOperationLogin) {
    OnLogin(frame);
  } else if (frame.operation == kOperationSubmit || frame.operation == kOperationDialUpSubmit) {
    OnSubmit(frame);
  } else if (frame.operation == kOperationAlert) {
    Note("op 31");
    Later(options_.answer_delay_ms, ResultFrame(frame));
  } else {
    Note("unknown operation " + frame.operation);
    Later(options_.answer_delay_ms, ResultFrame(frame, "03"));
  }
}

void SimEmiCentre::OnLogin(const UcpFrame& frame) {
  ++logins_;
  const std::string user = Field(frame.fields, 0);
  const std::string password = FromHex(Field(frame.fields, 4)).value_or("");
  std::string code = options_.login_refusal;
  if (code.empty() && (user != options_.user || password != options_.password)) code = "07";
  if (Field(frame.fields, 1) != "6" || Field(frame.fields, 2) != "5" ||
      Field(frame.fields, 3) != "1" || Field(frame.fields, 6) != "0100") {
    problems_.push_back("login fields: " + std::to_string(frame.fields.size()));
  }
  Note("op 60 " + user + ": " + (code.empty() ? "logged in" : "refused " + code));
  logged_in_ = code.empty();
  Later(options_.answer_delay_ms, ResultFrame(frame, code));
  if (!logged_in_) return;
  ++logins_accepted_;
  // What could not go over an ended session follows the login's answer.
  schedule_(options_.answer_delay_ms + 1, [this, session = session_] {
    if (session != session_) return;
    for (const auto& [submission, state] : std::exchange(held_, {})) {
      SendNotification(submission, state);
    }
    SendQueued();
  });
}

void SimEmiCentre::OnSubmit(const UcpFrame& frame) {
  const int number = submit_count_++;
  if (number == options_.drop_at_submit) {
    Drop();
    return;
  }
  const std::optional<TakenPart> part = SubmittedPart(frame, options_.ira);
  EmiSubmission submission{frame.transaction_reference, frame.operation,           frame.fields, "",
                           part ? part->text : "",      part.value_or(TakenPart{})};
  if (number == options_.garbage_at_submit) {
    submissions_.push_back(submission);
    std::string wrong_sum =
        SealUcpFrame(frame.transaction_reference, 'R', frame.operation, {"A", "", "0:0"});
    wrong_sum.back() = wrong_sum.back() == '0' ? '1' : '0';
    const std::string garbage = std::string(40, kStx) + "HTTP/1.1 400" + std::string(40, kEtx) +
                                kStx + wrong_sum + kEtx + kStx + "00/00042/R/5";
    schedule_(options_.submit_delay_ms, [this, session = session_, garbage] {
      if (session == session_ && to_client_) to_client_(garbage);
    });
    Note("garbage sent");
    return;
  }
  std::string code;
  if (!logged_in_) {
    code = "07";
  } else if (!part) {
    code = "02";  // syntax error
  } else if (!options_.submit_errors.empty()) {
    code = options_.submit_errors.front();
    options_.submit_errors.pop_front();
  }
  const std::string adc = Field(frame.fields, 0);
  if (code.empty()) submission.message_key = adc + ":" + Stamp(stamps_++);
  submissions_.push_back(submission);
  most_outstanding_ = std::max(most_outstanding_, ++outstanding_);
  Note("op " + frame.operation + " to " + adc + ": " +
       (code.empty() ? submission.message_key : "error " + code) + ", " +
       std::to_string(outstanding_) + " outstanding, text \"" + submission.text + "\"");
  if (number == options_.silent_at_submit) {
    Note("left unanswered");
    return;
  }
  if (options_.alert_before_answer) SendAlert();
  // A/MVP/SM or N/EC/SM, in both forms.
  const std::vector<std::string> fields =
      code.empty() ? std::vector<std::string>{"A", "", submission.message_key}
                   : std::vector<std::string>{"N", code, ""};
  // NRq 1 asks for notifications (the fourth field in both forms); they are
  // the account's from the answer on.
  const bool notify = code.empty() && Field(frame.fields, 3) == "1";
  Later(options_.submit_delay_ms,
        SealUcpFrame(frame.transaction_reference, 'R', frame.operation, fields),
        [this, submission, taken = code.empty(), notify] {
          --outstanding_;
          if (taken && on_taken_) on_taken_(submission.part);
          int delay = 0;
          for (int state : notify ? options_.notification_states : std::vector<int>{}) {
            delay += options_.notification_delay_ms;
            schedule_(delay, [this, submission, state] {
              if (logged_in_ && held_.empty()) {
                SendNotification(submission, state);
              } else {
                held_.push_back({submission, state});
              }
            });
          }
        });
}

void SimEmiCentre::SendNotification(const EmiSubmission& submission, int state) {
  const std::string recipient = Field(submission.fields, 0);
  std::vector<std::string> fields(kFieldCount5x);
  // The notification goes to the message's sender: its own number, or for
  // a name (OTOA 5039) the account.
  fields[0] = Field(submission.fields, 28) == "5039" ? options_.user : Field(submission.fields, 1);
  fields[1] = recipient;
  fields[14] = submission.message_key.substr(submission.message_key.find(':') + 1);
  fields[15] = std::to_string(state);
  fields[16] = state == 0 ? "000" : options_.reason;
  fields[17] = Stamp(stamps_++);
  fields[18] = "3";
  const char* kTexts[] = {" delivered", " buffered", " not delivered"};
  fields[20] = AMsgHex("Message for " + recipient + kTexts[std::clamp(state, 0, 2)], options_.ira);
  const int trn = NextTransaction();
  awaiting_.push_back({trn, Notification{submission, state}});
  Note("op 53 " + submission.message_key + " Dst " + std::to_string(state));
  Send(SealUcpFrame(trn, 'O', kOperationNotification, fields));
}

int SimEmiCentre::NextTransaction() {
  const int trn = next_transaction_;
  next_transaction_ = (next_transaction_ + 1) % 100;
  return trn;
}

bool SimEmiCentre::Deliver(const DeliverOrder& order, std::string& refusal) {
  const std::optional<DeliveryPlan> plan =
      PlanDelivery(order, next_reference_, options_.delivery, refusal);
  if (!plan) return false;
  next_reference_ = next_reference_ % 255 + 1;
  const int after_login = logged_in_ ? logins_accepted_ : logins_accepted_ + 1;
  // A part delivered twice is the same message to the centre: each copy
  // carries the time stamp the centre gave that part.
  const int first_stamp = stamps_;
  const std::vector<DeliveryPart>& some = plan->now.empty() ? plan->later : plan->now;
  stamps_ += some.empty() ? 1 : std::max(1, some.front().described.parts);
  const auto fields = [&](const DeliveryPart& part) {
    return PartFields(part, Stamp(first_stamp + std::max(0, part.described.part - 1)));
  };
  for (const DeliveryPart& part : plan->now) {
    queued_.push_back({after_login, {fields(part), part.described}});
  }
  for (const DeliveryPart& part : plan->later) {
    queued_.push_back({after_login + 1, {fields(part), part.described}});
  }
  if (logged_in_) SendQueued();
  return true;
}

std::vector<std::string> SimEmiCentre::PartFields(const DeliveryPart& part,
                                                  const std::string& stamp) {
  std::vector<std::string> fields(kFieldCount5x);
  fields[0] = options_.user;
  if (part.from.ton == 5) {
    fields[1] = ToHex(EncodeAlphanumericAddress(part.from.value).value_or(""));
    fields[28] = "5039";
  } else {
    fields[1] = part.from.value;
    if (part.from.ton == 1) fields[28] = "1139";
  }
  fields[14] = stamp;
  std::string xser;
  if (!part.header.empty()) {
    xser = "01" + ToHex(std::string(1, static_cast<char>(part.header.size()))) + ToHex(part.header);
  }
  if (part.encoding == SmsEncoding::kUcs2) {
    fields[18] = "4";
    fields[19] = std::to_string(8 * part.payload.size());
    fields[20] = ToHex(part.payload);
    xser += "020108";
  } else {
    fields[18] = "3";
    fields[20] = options_.ira ? ToHex(Utf8ToCp1252(part.described.text)) : ToHex(part.payload);
  }
  fields[30] = xser;
  return fields;
}

void SimEmiCentre::SendQueued() {
  std::vector<QueuedPart> waiting;
  for (QueuedPart& queued : std::exchange(queued_, {})) {
    if (queued.after_login > logins_accepted_) {
      waiting.push_back(std::move(queued));
      continue;
    }
    const TakenPart& described = queued.part.described;
    const int trn = NextTransaction();
    Note("op 52 from " + described.destination +
         (described.part > 0
              ? ", part " + std::to_string(described.part) + "/" + std::to_string(described.parts)
              : ""));
    Delivery("delivered", described);
    const std::string frame = SealUcpFrame(trn, 'O', kOperationDeliver, queued.part.fields);
    awaiting_.push_back({trn, std::nullopt, std::move(queued.part)});
    Send(frame);
  }
  // Behind those waiting: a part refused while they went.
  waiting.insert(waiting.end(), queued_.begin(), queued_.end());
  queued_ = std::move(waiting);
}

void SimEmiCentre::Delivery(const std::string& event, const TakenPart& part) {
  if (on_delivery_) on_delivery_(event, part);
}

void SimEmiCentre::SendAlert() {
  const int trn = NextTransaction();
  awaiting_.push_back({trn, std::nullopt});
  Note("op 31 to the client");
  Send(AlertFrame(trn, options_.user));
}

void SimEmiCentre::Later(int delay_ms, std::string frame, std::function<void()> on_sent) {
  schedule_(delay_ms,
            [this, session = session_, frame = std::move(frame), on_sent = std::move(on_sent)] {
              if (on_sent) CheckClient();
              if (session != session_) return;
              if (on_sent) on_sent();
              Send(frame);
            });
}

void SimEmiCentre::Send(const std::string& frame) {
  std::string text = frame;
  if (options_.lower_case_checksums) {
    std::transform(text.end() - 2, text.end(), text.end() - 2,
                   [](char c) { return static_cast<char>(std::tolower(c)); });
  }
  if (connected_ && to_client_) to_client_(kStx + text + kEtx);
}

}  // namespace tolvane::sim
