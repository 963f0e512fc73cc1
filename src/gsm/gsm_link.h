#ifndef TOLVANE_GSM_GSM_LINK_H_
#define TOLVANE_GSM_GSM_LINK_H_

#include <deque>
#include <functional>
#include <memory>
#include <string>
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
  bool prompt_seen_ = false;
  AtReply reply_;
  bool final_seen_ = false;
  // The next line is the PDU of a +CDS, or of the +CMGR being answered.
  bool cds_pdu_next_ = false;
  bool cmgr_pdu_next_ = false;

  bool acknowledge_ = false;
  int acknowledgements_due_ = 0;
  std::deque<int> stored_reports_;
  std::vector<StatusReport> reports_;
};

}  // namespace tolvane

#endif  // TOLVANE_GSM_GSM_LINK_H_
