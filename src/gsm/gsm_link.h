#ifndef TOLVANE_GSM_GSM_LINK_H_
#define TOLVANE_GSM_GSM_LINK_H_

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gsm/at_line_reader.h"
#include "platform/event_loop.h"
#include "platform/serial_port.h"
#include "sms/status_report.h"

namespace tolvane {

// How one command ended.
struct AtReply {
  enum class Outcome { kOk, kError, kTimeout, kStopped };
  Outcome outcome = Outcome::kTimeout;
  // OK, ERROR, "+CMS ERROR: 304", ...; empty after a time-out.
  std::string final_line;
  // The lines before it (information lines, and unsolicited ones that came
  // in between: a command looks only for its own prefix).
  std::vector<std::string> lines;
  // For a submit: the PDU went out, so the message may have been sent.
  bool pdu_sent = false;
  // The PDU lines of +CMGR and +CMGL, each with the index +CMGL gave it (-1
  // for +CMGR, whose index the command names).
  std::vector<std::pair<int, std::string>> pdus;

  bool Ok() const { return outcome == Outcome::kOk; }
  // The text after "<prefix>: " of the first information line with it.
  std::string Value(std::string_view prefix) const;
};

// The AT dialogue with a GSM modem on an open serial port: one command at a
// time, its answer awaited while events are processed, and the status
// reports that arrive at any moment collected on the side.
class GsmLink {
 public:
  // `stopped` says when a wait must end at once (Cancel, the port gone).
  GsmLink(EventLoop& loop, SerialPort& port, std::function<bool()> stopped);
  ~GsmLink();

  // Sends the command line and waits for its final result.
  AtReply Command(const std::string& command, int timeout_ms);
  // AT+CMGS: waits for the prompt, sends the PDU and waits for +CMGS. On a
  // time-out, an error or a stop at the prompt the modem gets ESC, so that
  // it leaves its input mode.
  AtReply Submit(int octets, const std::string& pdu_hex, int prompt_ms, int answer_ms);

  // Waits until the command sent from a wait further down has its answer or
  // has run out of time, so that a command sent from this wait gets its own;
  // the one further down returns that answer once this wait is over.
  void AwaitAnswer();

  // Lets `milliseconds` pass, unless stopped first.
  void Pause(int milliseconds);

  // Routed reports (+CDS) are acknowledged with AT+CNMA.
  void SetAcknowledgeReports(bool acknowledge) { acknowledge_ = acknowledge; }
  // Sends the acknowledgements due and reads (and deletes) the reports the
  // modem stored; done between commands, never inside one.
  void ServeReports();
  // Work for ServeReports is waiting, or reports are ready.
  bool ReportsPending() const;
  std::vector<StatusReport> TakeReports();

  // Where the modem stored each new message it announced (+CMTI), in order.
  std::vector<int> TakeNewMessages() { return std::exchange(new_messages_, {}); }
  // The modem said its message store is full (+CMS ERROR: 322) on its own.
  bool TakeStoreFull() { return std::exchange(store_full_, false); }
  // Told after an unsolicited line that leaves work: a message or a report
  // announced or routed, or the store full.
  void SetOnNews(std::function<void()> on_news) { on_news_ = std::move(on_news); }

  // Forgets half-read answers and pending report work (a new port session).
  void Reset();

 private:
  void OnData();
  void Handle(const AtAnswer& answer);
  void TakeReport(const std::string& hex);
  // Waits until `done`, the time-out or a stop; false unless `done`.
  bool WaitFor(int timeout_ms, const std::function<bool()>& done);

  EventLoop& loop_;
  SerialPort& port_;
  std::function<bool()> stopped_;
  std::unique_ptr<Timer> timer_;
  bool timed_out_ = false;
  AtLineReader reader_;

  bool in_command_ = false;
  // Counts the commands sent: a wait whose command is no longer the last
  // one was interrupted by a command from a wait above it.
  int commands_sent_ = 0;
  AtReply interrupted_reply_;
  bool prompt_seen_ = false;
  AtReply reply_;
  bool final_seen_ = false;
  // The next line is the PDU of a +CDS, or of the +CMGR or +CMGL being
  // answered (with its index).
  bool cds_pdu_next_ = false;
  bool read_pdu_next_ = false;
  int read_pdu_index_ = -1;

  bool acknowledge_ = false;
  int acknowledgements_due_ = 0;
  std::deque<int> stored_reports_;
  std::vector<StatusReport> reports_;
  std::vector<int> new_messages_;
  bool store_full_ = false;
  std::function<void()> on_news_;
};

}  // namespace tolvane

#endif  // TOLVANE_GSM_GSM_LINK_H_
