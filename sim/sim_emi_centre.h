#ifndef TOLVANE_SIM_SIM_EMI_CENTRE_H_
#define TOLVANE_SIM_SIM_EMI_CENTRE_H_

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "emi/emi_frame_reader.h"
#include "sim/scheduler.h"
#include "sim/sim_delivery.h"
#include "sim/taken_part.h"
#include "sim/tcp_peer.h"
#include "ucp/ucp_frame.h"

namespace tolvane::sim {

// How the simulated SMS centre behaves.
struct EmiCentreOptions {
  // The account; a login with another user or password is refused with 07.
  std::string user = "tolvane";
  std::string password = "secret";
  // Refuses every login with this error code ("": the account is checked).
  std::string login_refusal;
  // From a login or an op 31 to its answer.
  int answer_delay_ms = 50;
  // From a submit to its answer.
  int submit_delay_ms = 300;
  // The next submits are answered negatively with these error codes, one
  // each, in order; "" answers one positively.
  std::deque<std::string> submit_errors;
  // Dst of the notifications each part that asks for one gets, in order
  // (0 delivered, 1 buffered, 2 not delivered with `reason`),
  // notification_delay_ms apart.
  std::vector<int> notification_states = {0};
  std::string reason = "107";
  int notification_delay_ms = 2000;
  // Before answering a submit the centre sends an op 31 of its own.
  bool alert_before_answer = false;
  // This many connections from now are refused.
  int refused_connections = 0;
  // The connection is dropped when this submit (counted from 0 over the
  // centre's life) arrives, before it is answered; -1 never.
  int drop_at_submit = -1;
  // Bytes that are no sound frame (STX and ETX floods, a frame cut short,
  // a false checksum) in place of the answer to this submit; -1 never.
  int garbage_at_submit = -1;
  // This submit is never answered; -1 never.
  int silent_at_submit = -1;
  // AMsg is read as IRA (ASCII) rather than as GSM 03.38 septets.
  bool ira = false;
  // Checksums are written with lower-case digits.
  bool lower_case_checksums = false;
  // How messages to the account go (Deliver); `sar` and `payload` are SMPP's.
  DeliverOptions delivery;
};

// A submit the centre read.
struct EmiSubmission {
  int transaction_reference = 0;
  std::string operation;
  std::vector<std::string> fields;
  // "AdC:SCTS" when it was accepted.
  std::string message_key;
  // The text as the centre reads it, UTF-8: AMsg in the centre's alphabet,
  // or TMsg as UCS-2 when XSer gives DCS 08.
  std::string text;
  // Its destination, place (from the XSer header) and the same text.
  TakenPart part;
};

// A UCP/EMI SMS centre over TCP for one client: an op 60 login with the
// account checked, op 51 (and op 30) submits answered with "AdC:SCTS",
// notifications as op 53 that wait for their answer (AdC the sender, OAdC
// the message's recipient, SCTS its time stamp), op 31 answered, and faults
// on request: a refused login, slow, missing or negative answers, a dropped
// connection, garbage on the line. Notifications due while the client is
// away, or left unanswered by a connection that ended, follow its next
// login in order, as a centre keeps them for the account.
class SimEmiCentre : public TcpPeer {
 public:
  explicit SimEmiCentre(Scheduler schedule, EmiCentreOptions options = {});

  void SetToClient(std::function<void(const std::string&)> to_client) override {
    to_client_ = std::move(to_client);
  }
  void SetDropClient(std::function<void()> drop_client) override {
    drop_client_ = std::move(drop_client);
  }
  bool Accept() override;
  void FromClient(const std::string& bytes) override;
  void ClientClosed() override;

  EmiCentreOptions& Options() { return options_; }
  // One line for every event, as tools/emi-sim prints them.
  void SetOnEvent(std::function<void(const std::string&)> on_event) {
    on_event_ = std::move(on_event);
  }
  // Told of each part the centre takes, just before its positive answer
  // goes out; a submit whose connection ended before its answer was not taken.
  void SetOnTaken(std::function<void(const TakenPart&)> on_taken) {
    on_taken_ = std::move(on_taken);
  }

  // Every frame text the client sent, in order, over every connection.
  const std::vector<std::string>& Received() const { return received_; }
  // The operations of Received() ("O/60", "R/53", ...).
  std::vector<std::string> Operations() const;
  const std::vector<EmiSubmission>& Submissions() const { return submissions_; }
  // Frames from the client that were not sound: LEN, checksum, syntax.
  const std::vector<std::string>& Problems() const { return problems_; }
  // op 53 and op 31 sent to the client and not yet answered.
  int Unanswered() const { return static_cast<int>(awaiting_.size()); }
  // Notifications kept for the next login.
  int Kept() const { return static_cast<int>(held_.size()); }
  int Connections() const { return connections_; }
  int Logins() const { return logins_; }
  // The most submits the client had waiting for their answers at once.
  int MostOutstanding() const { return most_outstanding_; }

  // An op 31 of the centre's own.
  void SendAlert();
  // Bytes of a test's choosing, as they are.
  void SendBytes(const std::string& bytes) {
    if (connected_ && to_client_) to_client_(bytes);
  }
  // A message to the account, its parts as `delivery` says, each an op 52
  // (AdC the user, OAdC with OTOA 1139 or a name with 5039, its own SCTS,
  // MT 3 in the centre's alphabet, or MT 4 with DCS 08 for UCS-2, a linked
  // part's header in XSer). Parts go at once while a client is logged in,
  // else after the next login; one the client answers negatively, or leaves
  // unanswered when its connection ends, goes again, the same, after the
  // next login. False, with `refusal` saying why, for a sender that is
  // neither a number nor a name.
  bool Deliver(const DeliverOrder& order, std::string& refusal);
  // Told of each part of a message sent ("delivered") and of the client's
  // answer ("acknowledged", "refused").
  void SetOnDelivery(std::function<void(const std::string&, const TakenPart&)> on_delivery) {
    on_delivery_ = std::move(on_delivery);
  }
  // Parts of messages waiting for a login.
  int QueuedParts() const { return static_cast<int>(queued_.size()); }

 private:
  // A part of a message to the account, as it goes and as it is recorded.
  struct MessagePart {
    std::vector<std::string> fields;
    TakenPart described;
  };
  // A part and the count of logins after which it goes.
  struct QueuedPart {
    int after_login = 0;
    MessagePart part;
  };
  // A notification: the submit it tells of, and its Dst.
  using Notification = std::pair<EmiSubmission, int>;
  // An op 53 or op 31 sent; a notification is kept until answered.
  struct Awaited {
    int transaction_reference = 0;
    std::optional<Notification> notification;
    std::optional<MessagePart> message;
  };

  void Handle(const UcpFrame& frame);
  void OnLogin(const UcpFrame& frame);
  void OnSubmit(const UcpFrame& frame);
  void SendNotification(const EmiSubmission& submission, int state);
  std::vector<std::string> PartFields(const DeliveryPart& part, const std::string& stamp);
  // Sends the parts whose login has come, in order.
  void SendQueued();
  void Delivery(const std::string& event, const TakenPart& part);
  int NextTransaction();
  // Sends `frame` after `delay_ms`, unless the connection ended by then;
  // `on_sent` runs just before it goes.
  void Later(int delay_ms, std::string frame, std::function<void()> on_sent = {});
  // The connection ended: its unanswered notifications are kept, in order.
  void EndSession();
  void Send(const std::string& frame);
  void Drop();
  void Note(const std::string& event);

  Scheduler schedule_;
  EmiCentreOptions options_;
  std::function<void(const std::string&)> to_client_;
  std::function<void()> drop_client_;
  std::function<void(const std::string&)> on_event_;
  std::function<void(const TakenPart&)> on_taken_;
  std::function<void(const std::string&, const TakenPart&)> on_delivery_;
  EmiFrameReader reader_;
  // Counts the connections, so answers scheduled for an ended one are dropped.
  int session_ = 0;
  bool connected_ = false;
  bool logged_in_ = false;
  int next_transaction_ = 0;
  int submit_count_ = 0;
  // Makes every SCTS unique: seconds from the first.
  int stamps_ = 0;
  std::vector<Awaited> awaiting_;
  // Notifications due while no session was logged in, or left unanswered.
  std::deque<Notification> held_;
  std::vector<QueuedPart> queued_;
  // Logins accepted so far, and the reference of the next linked message.
  int logins_accepted_ = 0;
  int next_reference_ = 1;
  std::vector<std::string> received_;
  std::vector<EmiSubmission> submissions_;
  std::vector<std::string> problems_;
  int connections_ = 0;
  int logins_ = 0;
  int outstanding_ = 0;
  int most_outstanding_ = 0;
};

}  // namespace tolvane::sim

#endif  // TOLVANE_SIM_SIM_EMI_CENTRE_H_
