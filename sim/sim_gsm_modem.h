#ifndef TOLVANE_SIM_SIM_GSM_MODEM_H_
#define TOLVANE_SIM_SIM_GSM_MODEM_H_

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sim/deliver_tpdu.h"
#include "sim/line_device.h"
#include "sim/scheduler.h"
#include "sim/submit_tpdu_reader.h"

namespace tolvane::sim {

// How the simulated GSM modem, its SIM and the network behind it behave.
struct GsmModemOptions {
  enum class SimState { kReady, kPinWanted, kPukWanted, kNoSim };
  SimState sim_state = SimState::kReady;
  // Unlocks kPinWanted; the third wrong try makes it kPukWanted.
  std::string pin = "1234";
  // How AT+CPIN? says the SIM is ready ("+CPIN:READY", "+CPIN: \"READY\"");
  // empty: a bare OK.
  std::string ready_line = "+CPIN: READY";
  // For this long after it starts (the port first opened, a re-plug) and
  // after taking its PIN, the SIM answers "SIM busy" (+CME ERROR: 14).
  int sim_busy_ms = 0;
  bool echo = true;  // until ATE0
  // From a command line to its answer.
  int reply_delay_ms = 20;
  // From Ctrl-Z to "+CMGS: <mr>".
  int network_delay_ms = 2000;
  // What AT+CNMI=? offers for status reports: routed (1), stored (2) or both.
  enum class ReportStyle { kRouted, kStored, kBoth };
  ReportStyle report_style = ReportStyle::kBoth;
  // AT+CSMS=1 is accepted (a routed report then waits for AT+CNMA).
  bool phase2plus = true;
  // How long a routed report waits for AT+CNMA under AT+CSMS=1 (the relay
  // timer TR2M of 3GPP TS 24.011, 12 to 20 s). Then the network is told it
  // failed and routing to the program is switched off; no further +CDS
  // comes while one waits.
  int acknowledge_ms = 12000;
  // TP-ST of the reports each part that asks for one gets, in order,
  // report_delay_ms apart.
  std::vector<int> report_statuses = {0x00};
  // From +CMGS to the first report, and between further ones.
  int report_delay_ms = 3000;
  // The next submits are answered "+CMS ERROR: <code>", one code each, in
  // order; an empty code lets its submit through.
  std::vector<std::string> submit_errors;
  // After this many submits answered the stick is pulled and put back (its
  // SIM wants the PIN again); -1 never.
  int replug_after_submits = -1;
  // False: AT+CMGS never gets its "> " prompt (the modem still takes the PDU).
  bool prompt = true;
  // From this command line on (counted from 0) nothing is answered; -1 never.
  int silent_after = -1;
  // Unsolicited lines ("RING", "^RSSI:17") sent just before every final result.
  std::vector<std::string> noise;
  bool cmms_supported = true;
  // Command lines as sent, without "AT", answered ERROR.
  std::vector<std::string> refused_commands;
  // Messages the SIM holds at most, received ones and stored reports
  // together. A message for a full SIM waits at the network, which brings it
  // once a deletion has made room.
  int sim_capacity = 30;
  int signal = 21;                               // AT+CSQ
  std::string operator_name = "Tolvane Mobile";  // AT+COPS?
};

// A part the network took.
struct GsmSubmission {
  std::string tpdu_hex;     // uppercase, without the service-centre address
  int declared_octets = 0;  // as AT+CMGS gave it
  int reference = 0;        // the <mr> answered
  int64_t answered_ms = 0;  // when +CMGS went out
  std::string recipient;
  bool report_requested = false;
  TakenPart part;
};

// What the SIM holds at one index: the TPDU (without the service-centre
// address) and its <stat> of 3GPP TS 27.005, 0 received unread, 1 read.
struct StoredSms {
  int stat = 0;
  std::string tpdu_hex;
};

// A status report the modem passed on.
struct GsmReport {
  int reference = 0;
  int status = 0;
  std::string tpdu_hex;  // uppercase, without the service-centre address
  // Where AT+CMGR finds it; 0 for a report routed as +CDS.
  int stored_index = 0;
  int64_t sent_ms = 0;  // when +CDS or +CDSI went out
  // When AT+CNMA acknowledged a +CDS; -1 never (late, or not asked for).
  int64_t acknowledged_ms = -1;
};

// A GSM modem with a SIM and a network behind it, speaking AT commands in PDU
// mode: PIN, message service, report routing, submits with their status
// reports, routed or stored on the SIM, and messages from the network stored
// on a SIM of limited room, announced, listed, read and deleted. Carrier
// detect is up while DTR is, as a USB stick keeps it.
class SimGsmModem : public LineDevice {
 public:
  SimGsmModem(Scheduler schedule, GsmModemOptions options = {});

  void SetToDte(std::function<void(const std::string&)> to_dte) override;
  void SetOnCarrier(std::function<void(bool)> on_carrier) override;
  void FromDte(const std::string& bytes) override;
  // A drop of DTR resets the modem to its power-on settings; the SIM keeps
  // its state and its stored reports.
  void SetDtr(bool on) override;
  bool Carrier() const override { return dtr_; }
  // The stick pulled out and plugged in again: power-on settings, and a SIM
  // that its PIN unlocked wants it again.
  void Replug();
  // The time of the line, so the records say exactly when things happened;
  // without it the modem counts time by its own scheduled actions.
  void SetClock(std::function<int64_t()> now_ms) { now_ms_ = std::move(now_ms); }

  GsmModemOptions& Options() { return options_; }
  // Told of each part the network takes, before "+CMGS" goes out.
  void SetOnTaken(std::function<void(const TakenPart&)> on_taken) {
    on_taken_ = std::move(on_taken);
  }
  // Every command line, without its CR (not the PDU lines).
  const std::vector<std::string>& Commands() const { return commands_; }
  // When each command line came.
  const std::vector<int64_t>& CommandTimes() const { return command_ms_; }
  // Each part the network took, in order.
  const std::vector<GsmSubmission>& Submissions() const { return submissions_; }
  // Status reports routed or stored, in order.
  const std::vector<GsmReport>& Reports() const { return reports_; }
  int PinTries() const { return pin_tries_; }
  // ESC bytes received while taking a PDU.
  int Escapes() const { return escapes_; }
  int Acknowledgements() const { return acknowledgements_; }
  int Deletions() const { return deletions_; }
  // The report style the program chose with AT+CNMI: 1 routed, 2 stored, 0 none yet.
  int ReportMode() const { return report_mode_; }
  // The number AT+CSCA set.
  const std::string& ServiceCentre() const { return service_centre_; }
  // Sends bytes now, as the modem would on its own.
  void Unsolicited(const std::string& line);
  // The network brings a message: each part is stored on the SIM and, when
  // the program asked with AT+CNMI mt=1, announced as +CMTI. False when the
  // sender or text cannot be sent.
  bool Deliver(const GsmDelivery& delivery);
  // What the SIM holds, by index.
  const std::map<int, StoredSms>& Stored() const { return stored_; }
  // Parts the network holds back until the SIM has room.
  size_t Waiting() const { return waiting_.size(); }

 private:
  // What a command answers: information lines, then the final result; no
  // final result while the modem waits for a PDU.
  struct Answer {
    std::vector<std::string> lines;
    std::string final_result;
  };

  // From this command line on nothing is answered.
  bool Silent() const;
  void CommandByte(char c);
  void PduByte(char c);
  void CommandLine(const std::string& line);
  // Basic commands ("E0V1"), then each extended one ("+CPIN?", "+CMGS=23").
  Answer Basic(const std::string& commands);
  Answer Extended(const std::string& command);
  Answer Pin(const std::string& tail);
  Answer MessageService(const std::string& tail);
  Answer ReportRouting(const std::string& tail);
  Answer StartSubmit(const std::string& tail);
  Answer ReadStored(const std::string& tail);
  Answer ListStored(const std::string& tail);
  Answer Storage(const std::string& tail);
  // Stores a received TPDU and announces it; false when the SIM is full.
  bool StoreReceived(const std::string& tpdu_hex);
  // The +CMGR/+CMGL line's PDU: the service centre, then the TPDU.
  std::string StoredPdu(const StoredSms& sms) const;
  Answer DeleteStored(const std::string& tail);
  // The error for a command that needs the SIM unlocked; empty when it is.
  std::string SimNotReady() const;
  std::string OfferedReportModes() const;
  // The PDU has ended with Ctrl-Z.
  void EndSubmit();
  void Accept(const std::string& tpdu, int declared_octets, const SubmitTpdu& submit);
  void SendReport(int reference, const std::string& recipient_field, int64_t taken_ms, int status);
  // Sends the +CDS of reports_[index] and waits for its acknowledgement.
  void Route(size_t index);
  // AT+CNMA came.
  std::string Acknowledge();
  // The SIM answers "SIM busy" for sim_busy_ms.
  void StartSimBusy();
  void Reply(int milliseconds, Answer answer);
  void SendAnswer(const Answer& answer);
  void Send(const std::string& bytes);
  // The settings of a modem just switched on (ATZ, DTR drop).
  void ResetSettings();
  // A DTR drop or a re-plug: what the modem was doing is forgotten.
  void Restart();
  int64_t Now() const;
  // Runs `action` later on the modem's clock; a DTR drop cancels it unless
  // it survives resets, as the network's reports do.
  void Later(int milliseconds, std::function<void()> action, bool survives_reset = false);

  Scheduler schedule_;
  GsmModemOptions options_;
  std::function<void(const std::string&)> to_dte_;
  std::function<void(bool)> on_carrier_;
  std::function<void(const TakenPart&)> on_taken_;
  bool dtr_ = false;
  int generation_ = 0;
  int64_t clock_ms_ = 0;
  std::function<int64_t()> now_ms_;
  bool powered_ = false;

  // Settings a reset returns to their power-on values.
  bool echo_ = true;
  int report_mode_ = 0;
  // The <mt> of AT+CNMI: 1 announces new messages as +CMTI.
  int message_mode_ = 0;
  std::string report_routing_ = "0,0,0,0,0";
  int message_service_ = 0;
  int more_messages_ = 0;
  // The +CDS (an index into reports_) waiting for AT+CNMA, and those held
  // back behind it.
  std::optional<size_t> unacknowledged_;
  std::deque<size_t> held_reports_;
  // The line being typed, or the PDU after AT+CMGS.
  std::string line_;
  bool after_cr_ = false;
  bool taking_pdu_ = false;
  int declared_octets_ = 0;
  std::string pdu_;

  // What the SIM keeps.
  bool sim_busy_ = false;
  int sim_busy_periods_ = 0;
  bool unlocked_by_pin_ = false;
  int wrong_pins_ = 0;
  int next_reference_ = 1;
  std::string service_centre_;
  int service_centre_type_ = 145;
  std::map<int, StoredSms> stored_;
  std::deque<std::string> waiting_;
  int next_concatenation_ = 1;

  std::vector<std::string> commands_;
  std::vector<int64_t> command_ms_;
  std::vector<GsmSubmission> submissions_;
  std::vector<GsmReport> reports_;
  int pin_tries_ = 0;
  int escapes_ = 0;
  int acknowledgements_ = 0;
  int deletions_ = 0;
};

}  // namespace tolvane::sim

#endif  // TOLVANE_SIM_SIM_GSM_MODEM_H_
