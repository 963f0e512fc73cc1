#ifndef TOLVANE_SIM_SIM_SMSC_H_
#define TOLVANE_SIM_SIM_SMSC_H_

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sim/scheduler.h"

namespace tolvane::sim {

// How the simulated SMS centre answers, and the faults it plays on request.
struct SmscOptions {
  enum class ChecksumFault { kNone, kWrong, kLowerCase };

  // Negative answers to the next submits, one code each, in order; a submit
  // finding the queue empty gets a positive answer.
  std::deque<std::string> negative_codes;
  // Submits to these recipients (AdC) are answered negatively with the code,
  // every time.
  std::map<std::string, std::string> refused_recipients;
  // False: submits are never answered.
  bool answer = true;
  // Send the delivery notification after a positive answer when the submit asks for one.
  bool notify = true;
  int answer_delay_ms = 1500;
  int notify_delay_ms = 6000;
  // Each answer arrives in this many reads, 100 ms apart.
  int split_reads = 1;
  // The positive answer and the notification arrive in one read.
  bool together = false;
  // Line noise written before every STX.
  std::string noise;
  // Bytes the line carries just before each answer to a submit (noise, broken frames).
  std::string before_answer;
  // When set, the line carries these bytes instead of the answer to the next
  // submit (a garbled answer), and no notification follows.
  std::optional<std::string> garbled_answer;
  ChecksumFault notification_checksum = ChecksumFault::kNone;
  // The line drops instead of an answer to the first submit.
  bool drop_carrier_after_submit = false;
  // Service-centre time stamp, ddmmyyhhmmss.
  std::string time_stamp = "061226100000";
};

// An SMS centre speaking UCP over a modem call: it checks every submit frame
// (operation 30), answers it positively or negatively, sends the delivery
// notification (operation 53) and expects its acknowledgement (R/01). A call
// may carry several submits, each after the previous exchange. A deferred
// submit (DD "1") is held for its delivery time, so its notification would
// come long after the call: none is sent.
class SimSmsc {
 public:
  SimSmsc(Scheduler schedule, SmscOptions options = {});

  // The line towards the caller, and a way to drop the call; set by the modem.
  void SetToLine(std::function<void(const std::string&)> to_line);
  void SetHangUp(std::function<void()> hang_up);

  void StartCall();
  void EndCall();
  // Bytes from the caller while the call is up.
  void Receive(const std::string& bytes);
  // Puts `bytes` on the line at once, as one read of the caller, while a call
  // is up: whatever a faulty or hostile centre might send.
  void Write(const std::string& bytes);

  SmscOptions& Options() { return options_; }
  // Frame texts of the submits received, in order.
  const std::vector<std::string>& Submits() const { return submits_; }
  // Frame texts of the acknowledgements of notifications received.
  const std::vector<std::string>& Acknowledgements() const { return acknowledgements_; }
  // Every fault found in the caller's frames: bad LEN, bad checksum, wrong reference.
  const std::vector<std::string>& Problems() const { return problems_; }
  // The texts of the notifications sent, decoded.
  const std::vector<std::string>& NotificationTexts() const { return notification_texts_; }

  // The notification text for a message to `recipient`.
  static std::string DeliveredText(const std::string& recipient);

 private:
  void HandleFrame(const std::string& text);
  void HandleSubmit(const std::string& text, const std::vector<std::string>& fields);
  std::string Notification(const std::string& trn, const std::vector<std::string>& submit);
  // Writes `lead`, then the frames, each after the noise, in as many reads as asked.
  void Send(const std::vector<std::string>& frames, const std::string& lead = "");
  // The answer to a submit: its frames after the bytes asked to come before it.
  void SendAnswer(const std::vector<std::string>& frames);
  // Runs `action` later, unless the call has ended by then.
  void Later(int milliseconds, std::function<void()> action);

  Scheduler schedule_;
  SmscOptions options_;
  std::function<void(const std::string&)> to_line_;
  std::function<void()> hang_up_;
  int call_ = 0;
  bool in_call_ = false;
  std::string buffer_;
  std::string pending_ack_reference_;
  std::vector<std::string> submits_;
  std::vector<std::string> acknowledgements_;
  std::vector<std::string> problems_;
  std::vector<std::string> notification_texts_;
};

}  // namespace tolvane::sim

#endif  // TOLVANE_SIM_SIM_SMSC_H_
