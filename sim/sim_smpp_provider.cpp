#include "sim/sim_smpp_provider.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <utility>

#include "smpp/smpp_body_reader.h"
#include "smpp/smpp_status.h"

namespace tolvane::sim {
namespace {

constexpr uint32_t kStatusInvalidCommand = 0x03;
constexpr uint32_t kStatusIncorrectBindStatus = 0x04;
constexpr uint32_t kStatusInvalidSystemId = 0x0F;
constexpr uint8_t kEsmClassReceipt = 0x04;
constexpr uint8_t kEsmClassHeader = 0x40;
constexpr char kGarbage[] = "HTTP/1.1 400 Bad Request\r\n\r\n";

// The receipt text's short form of a message_state.
const char* StatName(uint8_t state) {
  constexpr const char* kNames[] = {"UNKNOWN", "ENROUTE", "DELIVRD", "EXPIRED", "DELETED",
                                    "UNDELIV", "ACCEPTD", "UNKNOWN", "REJECTD"};
  return state < std::size(kNames) ? kNames[state] : "UNKNOWN";
}

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
  return text;
}

std::optional<SmsAddress> ReadAddress(SmppBodyReader& reader) {
  const auto ton = reader.Integer(1);
  const auto npi = reader.Integer(1);
  auto value = reader.CString(21);
  if (reader.Failed()) return std::nullopt;
  return SmsAddress{static_cast<uint8_t>(*ton), static_cast<uint8_t>(*npi), std::move(*value)};
}

std::optional<SmppSubmission> ReadSubmit(const SmppPdu& pdu) {
  SmppBodyReader reader(pdu.body);
  SmppSubmission submission;
  submission.sequence = pdu.sequence;
  reader.CString(6);  // service_type
  const auto source = ReadAddress(reader);
  const auto destination = ReadAddress(reader);
  const auto esm_class = reader.Integer(1);
  reader.Integer(1);  // protocol_id
  reader.Integer(1);  // priority_flag
  auto schedule = reader.CString(17);
  auto validity = reader.CString(17);
  const auto registered = reader.Integer(1);
  reader.Integer(1);  // replace_if_present_flag
  const auto data_coding = reader.Integer(1);
  reader.Integer(1);  // sm_default_msg_id
  const auto length = reader.Integer(1);
  auto text = reader.Octets(length.value_or(0));
  // The optional parameters: the text may come as message_payload, the
  // part's place as the sar_* ones.
  std::map<uint32_t, std::string> tlvs;
  while (!reader.AtEnd()) {
    const auto tag = reader.Integer(2);
    const auto tlv_length = reader.Integer(2);
    auto value = reader.Octets(tlv_length.value_or(0));
    if (!reader.Failed()) tlvs[*tag] = std::move(*value);
  }
  if (reader.Failed()) return std::nullopt;
  submission.source = *source;
  submission.destination = *destination;
  submission.esm_class = static_cast<uint8_t>(*esm_class);
  submission.schedule_delivery_time = std::move(*schedule);
  submission.validity_period = std::move(*validity);
  submission.registered_delivery = (*registered & 0x03) != 0;
  submission.data_coding = static_cast<uint8_t>(*data_coding);
  submission.short_message = std::move(*text);
  TakenPart& part = submission.part;
  part.destination = destination->value;
  std::string_view data = submission.short_message;
  if (data.empty() && tlvs.contains(kTagMessagePayload)) data = tlvs[kTagMessagePayload];
  size_t header = 0;
  if (submission.esm_class & kEsmClassHeader) {
    if (!ReadConcatenation(data, part)) return std::nullopt;
    header = 1 + static_cast<uint8_t>(data[0]);
  }
  if (tlvs.contains(kTagSarMsgRefNum)) {
    const auto number = [&](uint16_t tag) {
      SmppBodyReader value(tlvs[tag]);
      return static_cast<int>(value.Integer(static_cast<int>(tlvs[tag].size())).value_or(0));
    };
    part.reference = number(kTagSarMsgRefNum);
    part.parts = number(kTagSarTotalSegments);
    part.part = number(kTagSarSegmentSeqnum);
  }
  const UserDataCoding coding =
      submission.data_coding == kDataCodingDefault ? UserDataCoding::kGsmSeptets
      : submission.data_coding == kDataCodingUcs2  ? UserDataCoding::kUcs2
                                                   : UserDataCoding::kOctets;
  part.text = DecodeUserText(data.substr(header), coding);
  return submission;
}

// The coding and, for a linked part, its place: ", data_coding 8, part 2/3".
std::string Describe(const SmppSubmission& submission) {
  std::string text = ", data_coding " + std::to_string(submission.data_coding);
  if (submission.part.part > 0) {
    text += ", part " + std::to_string(submission.part.part) + "/" +
            std::to_string(submission.part.parts);
  }
  return text;
}

void AppendTlv(std::string& body, uint16_t tag, const std::string& value) {
  AppendInteger(body, tag, 2);
  AppendInteger(body, static_cast<uint32_t>(value.size()), 2);
  body += value;
}

}  // namespace

SimSmppProvider::SimSmppProvider(Scheduler schedule, SmppProviderOptions options)
    : schedule_(std::move(schedule)), options_(std::move(options)) {}

bool SimSmppProvider::Accept() {
  if (options_.refused_connections > 0) {
    --options_.refused_connections;
    Note("connection refused");
    return false;
  }
  ++session_;
  ++connections_;
  connected_ = true;
  bound_ = false;
  reader_ = SmppPduReader();
  awaiting_.clear();
  Note("connected");
  return true;
}

void SimSmppProvider::ClientClosed() {
  EndSession();
  Note("client closed the connection");
}

void SimSmppProvider::Drop() {
  EndSession();
  Note("connection dropped");
  if (drop_client_) drop_client_();
}

void SimSmppProvider::EndSession() {
  connected_ = bound_ = false;
  outstanding_ = 0;
  ++session_;
  std::deque<std::string> unanswered;
  std::vector<QueuedPart> messages;
  for (Awaited& awaited : std::exchange(awaiting_, {})) {
    if (options_.keep_receipts && !awaited.receipt.empty()) {
      unanswered.push_back(std::move(awaited.receipt));
    }
    if (awaited.message) messages.push_back({binds_accepted_ + 1, std::move(*awaited.message)});
  }
  if (!messages.empty()) Note(std::to_string(messages.size()) + " message parts kept unanswered");
  queued_.insert(queued_.begin(), messages.begin(), messages.end());
  if (!unanswered.empty()) Note(std::to_string(unanswered.size()) + " receipts kept unanswered");
  kept_.insert(kept_.begin(), unanswered.begin(), unanswered.end());
}

void SimSmppProvider::Note(const std::string& event) {
  if (on_event_) on_event_(event);
}

void SimSmppProvider::FromClient(const std::string& bytes) {
  if (!connected_) return;
  for (const SmppPdu& pdu : reader_.Feed(bytes)) {
    received_.push_back(pdu);
    Handle(pdu);
    if (!connected_) return;
  }
  if (!reader_.Error().empty()) {
    Note("unreadable bytes: " + reader_.Error());
    Drop();
  }
}

void SimSmppProvider::Handle(const SmppPdu& pdu) {
  if (pdu.command & kResponseBit) {
    const auto awaited = std::find_if(awaiting_.begin(), awaiting_.end(), [&](const Awaited& sent) {
      return sent.sequence == pdu.sequence;
    });
    Note("answer " + Hex(pdu.command) + " to " + std::to_string(pdu.sequence) +
         (pdu.status != kStatusOk ? ": " + SmppStatusText(pdu.status) : ""));
    if (awaited == awaiting_.end()) return;
    const std::optional<MessagePart> message = std::move(awaited->message);
    awaiting_.erase(awaited);
    if (!message) return;
    const bool acknowledged = pdu.command == (kDeliverSm | kResponseBit) && pdu.status == kStatusOk;
    Delivery(acknowledged ? "acknowledged" : "refused", message->described);
    // A provider delivers a refused message again later: after the next bind.
    if (!acknowledged) queued_.push_back({binds_accepted_ + 1, *message});
    return;
  }
  switch (pdu.command) {
    case kBindTransceiver:
      OnBind(pdu);
      return;
    case kSubmitSm:
      OnSubmit(pdu);
      return;
    case kEnquireLink:
      Note(options_.answers_enquire_link ? "enquire_link" : "enquire_link not answered");
      if (options_.answers_enquire_link) Answer(pdu, kStatusOk, "", options_.answer_delay_ms);
      return;
    case kUnbind:
      ++unbinds_;
      bound_ = false;
      Note("unbind");
      Answer(pdu, kStatusOk, "", options_.answer_delay_ms);
      return;
    default:
      Note("unknown command " + Hex(pdu.command));
      Answer({kGenericNack, 0, pdu.sequence, ""}, kStatusInvalidCommand, "",
             options_.answer_delay_ms);
  }
}

void SimSmppProvider::OnBind(const SmppPdu& pdu) {
  SmppBodyReader reader(pdu.body);
  SmppBind bind;
  bind.system_id = reader.CString(16).value_or("");
  bind.password = reader.CString(9).value_or("");
  bind.system_type = reader.CString(13).value_or("");
  bind.interface_version = reader.Integer(1).value_or(0);
  binds_.push_back(bind);
  uint32_t status = options_.bind_refusal;
  if (status == kStatusOk && bind.system_id != options_.system_id) status = kStatusInvalidSystemId;
  if (status == kStatusOk && bind.password != options_.password) status = kStatusInvalidPassword;
  if (bound_) status = 0x05;  // already bound
  Note("bind_transceiver " + bind.system_id + ": " + SmppStatusText(status));
  std::string body;
  AppendCString(body, "TolvaneSMSC");
  if (status != kStatusOk) {
    Answer(pdu, status, body, options_.answer_delay_ms);
    return;
  }
  bound_ = true;
  ++binds_accepted_;
  // Receipts kept for the account, and then messages, follow the bind's answer.
  Answer(pdu, status, body, options_.answer_delay_ms, [this] {
    schedule_(0, [this, session = session_] {
      if (session != session_ || !bound_) return;
      if (!kept_.empty()) Note(std::to_string(kept_.size()) + " kept receipts sent");
      for (std::string& receipt : std::exchange(kept_, {})) Request(kDeliverSm, receipt, receipt);
      SendQueued();
    });
  });
}

void SimSmppProvider::OnSubmit(const SmppPdu& pdu) {
  const int number = submit_count_++;
  if (number == options_.drop_at_submit) {
    Drop();
    return;
  }
  if ((options_.silent_from_submit >= 0 && number >= options_.silent_from_submit) ||
      number == options_.silent_at_submit) {
    Note("submit_sm not answered");
    return;
  }
  if (number == options_.garbage_at_submit) {
    schedule_(options_.submit_delay_ms, [this, session = session_] {
      if (session == session_ && to_client_) to_client_(kGarbage);
    });
    Note("garbage sent");
    return;
  }
  std::optional<SmppSubmission> submission = ReadSubmit(pdu);
  uint32_t status = kStatusOk;
  if (!bound_) {
    status = kStatusIncorrectBindStatus;
  } else if (!submission) {
    status = 0x01;  // invalid message length
  } else if (!options_.submit_statuses.empty()) {
    status = options_.submit_statuses.front();
    options_.submit_statuses.pop_front();
  }
  std::string body;
  if (status == kStatusOk) {
    char id[16];
    std::snprintf(id, sizeof id, "5A%06X", next_message_id_++);
    submission->message_id = id;
    AppendCString(body, id);
  }
  if (submission) submissions_.push_back(*submission);
  Note("submit_sm to " + (submission ? submission->destination.value : "?") + ": " +
       (status == kStatusOk ? "message id " + submission->message_id : SmppStatusText(status)) +
       (submission ? Describe(*submission) : ""));
  if (options_.enquire_before_answer) Request(kEnquireLink, "");
  most_outstanding_ = std::max(most_outstanding_, ++outstanding_);
  const std::vector<uint8_t> states = status == kStatusOk && submission->registered_delivery
                                          ? options_.receipt_states
                                          : std::vector<uint8_t>{};
  if (options_.receipts_before_answer) {
    int delay = 0;
    for (uint8_t state : states) {
      delay += options_.receipt_delay_ms;
      schedule_(delay, [this, session = session_, done = *submission, state] {
        if (session == session_) SendReceipt(done, state);
      });
    }
    Answer(pdu, status, body, delay + options_.submit_delay_ms,
           status == kStatusOk ? [this, taken = submission->part] { Taken(taken); }
                               : std::function<void()>());
    return;
  }
  std::function<void()> on_sent;
  if (status == kStatusOk) {
    // Receipts follow the answer that went out.
    on_sent = [this, done = *submission, states] {
      Taken(done.part);
      int delay = 0;
      for (uint8_t state : states) {
        delay += options_.receipt_delay_ms;
        schedule_(delay, [this, done, state, session = session_] {
          if (options_.keep_receipts || session == session_) SendReceipt(done, state);
        });
      }
    };
  }
  Answer(pdu, status, body, options_.submit_delay_ms, std::move(on_sent));
}

void SimSmppProvider::Taken(const TakenPart& part) {
  if (on_taken_) on_taken_(part);
}

std::string SimSmppProvider::DeliverBody(const SmsAddress& from, const SmsAddress& to,
                                         uint8_t esm_class, uint8_t data_coding, std::string text) {
  std::string body;
  AppendCString(body, "");  // service_type
  AppendInteger(body, from.ton, 1);
  AppendInteger(body, from.npi, 1);
  AppendCString(body, from.value);
  AppendInteger(body, to.ton, 1);
  AppendInteger(body, to.npi, 1);
  AppendCString(body, to.value);
  AppendInteger(body, esm_class, 1);
  AppendInteger(body, 0, 1);  // protocol_id
  AppendInteger(body, 0, 1);  // priority_flag
  AppendCString(body, "");
  AppendCString(body, "");
  AppendInteger(body, 0, 1);  // registered_delivery
  AppendInteger(body, 0, 1);  // replace_if_present_flag
  AppendInteger(body, data_coding, 1);
  AppendInteger(body, 0, 1);  // sm_default_msg_id
  text = text.substr(0, 254);
  AppendInteger(body, static_cast<uint32_t>(text.size()), 1);
  body += text;
  return body;
}

void SimSmppProvider::SendReceipt(const SmppSubmission& submission, uint8_t state) {
  const std::string text = "id:" + submission.message_id +
                           " sub:001 dlvrd:" + (state == 2 ? "001" : "000") +
                           " submit date:2612061000 done date:2612061001 stat:" + StatName(state) +
                           " err:000 text:" + submission.short_message.substr(0, 20);
  // From the recipient to the sender, the other way round from the submit.
  std::string body = DeliverBody(submission.destination, submission.source, kEsmClassReceipt,
                                 kDataCodingDefault, text);
  AppendTlv(body, kTagReceiptedMessageId, submission.message_id + '\0');
  AppendTlv(body, kTagMessageState, std::string(1, static_cast<char>(state)));
  // Behind those kept, which follow a bind in order.
  if (options_.keep_receipts && (!bound_ || !kept_.empty())) {
    Note("receipt " + submission.message_id + " stat:" + StatName(state) + " kept");
    kept_.push_back(std::move(body));
    return;
  }
  Note("deliver_sm receipt " + submission.message_id + " stat:" + StatName(state));
  Request(kDeliverSm, body, body);
}

void SimSmppProvider::SendMessage(const std::string& from, const std::string& septets,
                                  uint8_t esm_class) {
  Note("deliver_sm message from " + from);
  Request(kDeliverSm,
          DeliverBody({1, 1, from}, {0, 0, ""}, esm_class, kDataCodingDefault, septets));
}

bool SimSmppProvider::Deliver(const DeliverOrder& order, std::string& refusal) {
  const std::optional<DeliveryPlan> plan =
      PlanDelivery(order, next_reference_, options_.delivery, refusal);
  if (!plan) return false;
  // A name goes in the default alphabet, as the program's own do.
  if (!InProviderAlphabet(plan->now.front().from, kDataCodingDefault)) {
    refusal = "the name " + order.from + " has a character SMPP cannot carry";
    return false;
  }
  next_reference_ = next_reference_ % 255 + 1;
  const int after_bind = bound_ ? binds_accepted_ : binds_accepted_ + 1;
  for (const DeliveryPart& part : plan->now) {
    queued_.push_back({after_bind, {PartBody(part), part.described}});
  }
  for (const DeliveryPart& part : plan->later) {
    queued_.push_back({after_bind + 1, {PartBody(part), part.described}});
  }
  if (bound_) SendQueued();
  return true;
}

std::string SimSmppProvider::PartBody(const DeliveryPart& part) const {
  const DeliverOptions& delivery = options_.delivery;
  const bool sar = delivery.sar && !part.header.empty();
  const std::string data = (sar ? "" : part.header) + part.payload;
  const uint8_t esm_class = part.header.empty() || sar ? 0 : kEsmClassHeader;
  const uint8_t coding = part.encoding == SmsEncoding::kUcs2 ? kDataCodingUcs2 : kDataCodingDefault;
  std::string body = DeliverBody(*InProviderAlphabet(part.from, kDataCodingDefault), {0, 0, ""},
                                 esm_class, coding, delivery.payload ? "" : data);
  if (delivery.payload) AppendTlv(body, kTagMessagePayload, data);
  if (sar) {
    std::string reference;
    AppendInteger(reference, static_cast<unsigned char>(part.header[3]), 2);
    AppendTlv(body, kTagSarMsgRefNum, reference);
    AppendTlv(body, kTagSarTotalSegments, part.header.substr(4, 1));
    AppendTlv(body, kTagSarSegmentSeqnum, part.header.substr(5, 1));
  }
  return body;
}

void SimSmppProvider::SendQueued() {
  std::vector<QueuedPart> waiting;
  for (QueuedPart& queued : std::exchange(queued_, {})) {
    if (queued.after_bind > binds_accepted_) {
      waiting.push_back(std::move(queued));
      continue;
    }
    const TakenPart& described = queued.part.described;
    Note("deliver_sm message from " + described.destination +
         (described.part > 0
              ? ", part " + std::to_string(described.part) + "/" + std::to_string(described.parts)
              : ""));
    Delivery("delivered", described);
    const std::string body = queued.part.body;
    Request(kDeliverSm, body, {}, std::move(queued.part));
  }
  // Behind those waiting: a part refused while they went.
  waiting.insert(waiting.end(), queued_.begin(), queued_.end());
  queued_ = std::move(waiting);
}

void SimSmppProvider::Delivery(const std::string& event, const TakenPart& part) {
  if (on_delivery_) on_delivery_(event, part);
}

void SimSmppProvider::Answer(const SmppPdu& request, uint32_t status, const std::string& body,
                             int delay_ms, std::function<void()> on_sent) {
  const uint32_t command =
      request.command == kGenericNack ? kGenericNack : request.command | kResponseBit;
  schedule_(delay_ms,
            [this, session = session_, answer = SmppPdu{command, status, request.sequence, body},
             on_sent = std::move(on_sent)] {
              if (on_sent) CheckClient();
              if (session != session_) return;
              if (answer.command == (kSubmitSm | kResponseBit)) --outstanding_;
              if (on_sent) on_sent();
              Send(answer);
            });
}

void SimSmppProvider::Request(uint32_t command, const std::string& body, std::string receipt,
                              std::optional<MessagePart> message) {
  const uint32_t sequence = next_sequence_++;
  awaiting_.push_back({sequence, std::move(receipt), std::move(message)});
  Send({command, 0, sequence, body});
}

void SimSmppProvider::Send(const SmppPdu& pdu) {
  if (connected_ && to_client_) to_client_(EncodePdu(pdu));
}

}  // namespace tolvane::sim
