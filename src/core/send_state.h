#ifndef TOLVANE_CORE_SEND_STATE_H_
#define TOLVANE_CORE_SEND_STATE_H_

#include <cstdint>
#include <string>

namespace tolvane {

// The one send in progress. Waiting code and event handlers talk only through
// these flags and counters.
struct SendState {
  std::string message;  // text (or current part) as sent
  // The message's id in the message store; 0 when it holds none.
  std::int64_t message_id = 0;
  std::string recipient_number;  // digits only
  // The number was written with a leading "+": an international number.
  bool recipient_international = false;
  std::string recipient_name;  // Namn, or "Temporary number"
  std::string sender_number;   // digits of Avs
  std::string frame;           // UCP frame text with checksum, no STX/ETX
  int transaction_reference = 0;
  bool sending = false;
  bool cancelled = false;
  bool finished = false;
  bool init_failed = false;
  bool dial_failed = false;
  bool redial_pending = false;
  bool timer_expired = false;
  bool online = false;
  int receipt_ticks = 0;
  int redial_ticks = 0;
  bool keep_line = false;
  bool later_part = false;
  bool ended = false;
  bool attempted = false;
  bool double_message = false;
  bool deferred = false;
  std::string delivery_time;  // ddmmyyhhmm, for the deferred form
  // The autosend file the send came from, as the message store keeps it.
  std::string run_source;
  bool restore_controls = false;
  bool write_receipt_file = false;
  std::string receipt_file_name = "kvitto.txt";
  // The message box as the user last changed it, which text a program put
  // there does not replace.
  std::string saved_text;
  int following_count = 0;
  // The next single send goes to the user's own number (the mail forward),
  // whatever the opt-out list holds.
  bool to_own_number = false;
  // The SMS centre or the gateway took the message (positive answer, or a
  // gateway status from 200 to 213); tells a command-line caller the outcome.
  bool accepted = false;
  // The run being sent asks for no receipt, whatever EjKvitto says (an API
  // run posted with "receipt": false, also when a later start continues it).
  bool no_receipt = false;

  // No receipt is asked for this send: the user's EjKvitto or the run's own.
  bool NoReceipt(bool ej_kvitto_on) const { return ej_kvitto_on || no_receipt; }
};

}  // namespace tolvane

#endif  // TOLVANE_CORE_SEND_STATE_H_
