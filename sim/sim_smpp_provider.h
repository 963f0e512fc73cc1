#ifndef TOLVANE_SIM_SIM_SMPP_PROVIDER_H_
#define TOLVANE_SIM_SIM_SMPP_PROVIDER_H_

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sim/scheduler.h"
#include "sim/sim_delivery.h"
#include "sim/taken_part.h"
#include "sim/tcp_peer.h"
#include "smpp/smpp_commands.h"
#include "smpp/smpp_pdu.h"
#include "smpp/smpp_pdu_reader.h"

namespace tolvane::sim {

// How the simulated SMPP provider behaves.
struct SmppProviderOptions {
  // The account; a bind with another system id or password is refused.
  std::string system_id = "tolvane";
  std::string password = "secret";
  // Refuses every bind with this status (0: binds are checked as above).
  uint32_t bind_refusal = 0;
  // From a request to its answer.
  int answer_delay_ms = 50;
  // From a submit to its answer.
  int submit_delay_ms = 300;
  // The next submits are answered with these statuses, one each, in order.
  std::deque<uint32_t> submit_statuses;
  // message_state of the receipts each part that asks for one gets, in order
  // (2 delivered, 5 undeliverable, ...), receipt_delay_ms apart.
  std::vector<uint8_t> receipt_states = {2};
  int receipt_delay_ms = 2000;
  // The receipts go first, counted from the submit, and its answer follows
  // the last of them (some providers do so under load).
  bool receipts_before_answer = false;
  // A receipt due while no client is bound, or left unanswered by a
  // connection that ended, is kept for the next bind, as a provider keeps
  // them for the account; false: a receipt goes with its session.
  bool keep_receipts = false;
  // An enquire_link of the client's is answered; false: the provider has
  // gone silent without closing the connection.
  bool answers_enquire_link = true;
  // Before answering a submit the provider asks whether the client is there.
  bool enquire_before_answer = false;
  // The connection is dropped when this submit (counted from 0 over the
  // provider's life) arrives, before it is answered; -1 never.
  int drop_at_submit = -1;
  // Bytes that are no SMPP at all, sent in place of the answer to this
  // submit (counted as above); -1 never.
  int garbage_at_submit = -1;
  // Submits from this one on (counted as above) are taken and never
  // answered; -1 never.
  int silent_from_submit = -1;
  // This one submit (counted as above) is taken and never answered.
  int silent_at_submit = -1;
  // This many connections from now are refused.
  int refused_connections = 0;
  // How messages to the account go (Deliver).
  DeliverOptions delivery;
};

// A submit the provider took.
struct SmppSubmission {
  uint32_t sequence = 0;
  SmsAddress source;
  SmsAddress destination;
  uint8_t esm_class = 0;
  uint8_t data_coding = 0;
  bool registered_delivery = false;
  std::string schedule_delivery_time;
  std::string validity_period;
  std::string short_message;
  // Empty when the submit was refused or not answered.
  std::string message_id;
  // Its destination, place and text as the provider reads them.
  TakenPart part;
};

struct SmppBind {
  std::string system_id;
  std::string password;
  std::string system_type;
  uint32_t interface_version = 0;
};

// An SMPP 3.4 provider (SMSC) for one transceiver client: bind with the
// account checked, submit_sm answered with a message id, delivery receipts
// as deliver_sm that wait for their answer, enquire_link and unbind
// answered, and faults on request: a refused bind, error or throttling
// statuses, a dropped connection, garbage on the line; on request receipts
// kept for the account's next bind.
class SimSmppProvider : public TcpPeer {
 public:
  SimSmppProvider(Scheduler schedule, SmppProviderOptions options = {});

  void SetToClient(std::function<void(const std::string&)> to_client) override {
    to_client_ = std::move(to_client);
  }
  void SetDropClient(std::function<void()> drop_client) override {
    drop_client_ = std::move(drop_client);
  }
  bool Accept() override;
  void FromClient(const std::string& bytes) override;
  void ClientClosed() override;

  SmppProviderOptions& Options() { return options_; }
  // One line for every event, as tools/smpp-sim prints them.
  void SetOnEvent(std::function<void(const std::string&)> on_event) {
    on_event_ = std::move(on_event);
  }
  // Told of each part the provider takes, just before its positive answer
  // goes out; a submit whose connection ended before its answer was not taken.
  void SetOnTaken(std::function<void(const TakenPart&)> on_taken) {
    on_taken_ = std::move(on_taken);
  }

  const std::vector<SmppBind>& Binds() const { return binds_; }
  const std::vector<SmppSubmission>& Submissions() const { return submissions_; }
  // Every PDU the client sent, in order, over every connection.
  const std::vector<SmppPdu>& Received() const { return received_; }
  int Unbinds() const { return unbinds_; }
  // deliver_sm and enquire_link sent to the client and not yet answered.
  int Unanswered() const { return static_cast<int>(awaiting_.size()); }
  // Receipts kept for the next bind.
  int Kept() const { return static_cast<int>(kept_.size()); }
  int Connections() const { return connections_; }
  // The most submits the client had waiting for their answers at once.
  int MostOutstanding() const { return most_outstanding_; }

  // A message to the account from the number `from`, its text in the
  // default alphabet; with `esm_class` 0x20 an intermediate notification.
  void SendMessage(const std::string& from, const std::string& septets, uint8_t esm_class = 0);
  // A message to the account, its parts as `delivery` says, each a
  // deliver_sm (data_coding 0 or 8; linked by a header or the sar_*
  // parameters). Parts go at once while a client is bound, else after the
  // next bind; one the client refuses, or leaves unanswered when its
  // connection ends, goes again after the next bind. False, with `refusal`
  // saying why, for a sender that is neither a number nor a name.
  bool Deliver(const DeliverOrder& order, std::string& refusal);
  // Told of each part of a message sent ("delivered") and of the client's
  // answer ("acknowledged", "refused").
  void SetOnDelivery(std::function<void(const std::string&, const TakenPart&)> on_delivery) {
    on_delivery_ = std::move(on_delivery);
  }
  // Parts of messages waiting for a bind.
  int QueuedParts() const { return static_cast<int>(queued_.size()); }

 private:
  // A part of a message to the account, as it goes and as it is recorded.
  struct MessagePart {
    std::string body;
    TakenPart described;
  };
  // A deliver_sm the provider sent; a receipt's or a message's body is kept
  // until answered.
  struct Awaited {
    uint32_t sequence = 0;
    std::string receipt;
    std::optional<MessagePart> message;
  };
  // A part and the count of binds after which it goes.
  struct QueuedPart {
    int after_bind = 0;
    MessagePart part;
  };

  void Handle(const SmppPdu& pdu);
  void OnBind(const SmppPdu& pdu);
  void OnSubmit(const SmppPdu& pdu);
  // `on_sent` runs just before the answer goes out, when it still can.
  void Answer(const SmppPdu& request, uint32_t status, const std::string& body, int delay_ms,
              std::function<void()> on_sent = {});
  // Sends a request of the provider's own and notes its answer as awaited.
  void Request(uint32_t command, const std::string& body, std::string receipt = {},
               std::optional<MessagePart> message = std::nullopt);
  std::string PartBody(const DeliveryPart& part) const;
  // Sends the parts whose bind has come, in order.
  void SendQueued();
  void Delivery(const std::string& event, const TakenPart& part);
  void Taken(const TakenPart& part);
  // The connection ended: its unanswered receipts are kept, in order.
  void EndSession();
  static std::string DeliverBody(const SmsAddress& from, const SmsAddress& to, uint8_t esm_class,
                                 uint8_t data_coding, std::string text);
  void SendReceipt(const SmppSubmission& submission, uint8_t state);
  void Send(const SmppPdu& pdu);
  void Drop();
  void Note(const std::string& event);

  Scheduler schedule_;
  SmppProviderOptions options_;
  std::function<void(const std::string&)> to_client_;
  std::function<void()> drop_client_;
  std::function<void(const std::string&)> on_event_;
  std::function<void(const TakenPart&)> on_taken_;
  std::function<void(const std::string&, const TakenPart&)> on_delivery_;
  SmppPduReader reader_;
  // Counts the connections, so answers scheduled for an ended one are dropped.
  int session_ = 0;
  bool connected_ = false;
  bool bound_ = false;
  uint32_t next_sequence_ = 1;
  int next_message_id_ = 1;
  int submit_count_ = 0;
  std::vector<Awaited> awaiting_;
  std::deque<std::string> kept_;
  std::vector<QueuedPart> queued_;
  // Binds accepted so far, and the reference of the next linked message.
  int binds_accepted_ = 0;
  int next_reference_ = 1;
  std::vector<SmppBind> binds_;
  std::vector<SmppSubmission> submissions_;
  std::vector<SmppPdu> received_;
  int unbinds_ = 0;
  int connections_ = 0;
  int outstanding_ = 0;
  int most_outstanding_ = 0;
};

}  // namespace tolvane::sim

#endif  // TOLVANE_SIM_SIM_SMPP_PROVIDER_H_
