#ifndef TOLVANE_BULK_GROUP_SENDING_H_
#define TOLVANE_BULK_GROUP_SENDING_H_

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "bulk/group_host.h"
#include "core/message_fields.h"
#include "platform/dialogs.h"

namespace tolvane {

// Group mode of the main window and the runs that send one message to many:
// the members of a group ("Send to &Group") or the numbers of an order. The
// transport keeps one connection for the whole run (one modem call, frame
// after frame; or one gateway request after the previous answer).
class GroupSending {
 public:
  static constexpr int kNormalHeightTwips = 5230;
  static constexpr int kGroupModeHeightTwips = 7700;

  GroupSending(GroupHost& window, Dialogs& dialogs);

  bool GroupMode() const { return group_mode_; }
  // The main window is taller in group mode, to show the group and its members.
  int WindowHeightTwips() const { return group_mode_ ? kGroupModeHeightTwips : kNormalHeightTwips; }

  // The "&Groupsending >>" / "&Groupsending <<" button: enters or leaves group mode.
  void OnGroupSendingToggled();
  // A group chosen in the group list: its members fill the member list.
  void OnGroupChosen(int index);
  // The "Send to &Group" button: the message to every member of the chosen group.
  void SendToGroup();

  // The members of the chosen group with their numbers, as a run takes them.
  std::vector<FieldMember> ChosenMembers();

  // The numbers of a list-driven run, as an order gave them.
  void SetGroupMembers(std::vector<std::string> numbers) { group_members_ = std::move(numbers); }
  const std::vector<std::string>& GroupMembers() const { return group_members_; }
  int GroupMemberCount() const { return static_cast<int>(group_members_.size()); }
  // The message box's text to every number of GroupMembers, as "Group".
  void SandGruppAuto();
  // Continues `run`, cut short, with the message box's text: `members`
  // (their messages in the store) go again, those of `pending` only with
  // the parts it lists; a member with a reason in `skipped` is ended with
  // it and logged, unsent.
  void ResumeRun(const StoredRun& run, const std::vector<RunRecipient>& members,
                 std::map<std::int64_t, std::vector<int>> pending);

  // Every member of the last run had its message accepted: a positive answer
  // counts, even when the notification that should follow never came. A run
  // that sent nothing, skipped a member or ended before its last has not.
  // Counts a member of the run the far end took.
  void NoteAnswer(bool accepted) { run_accepted_ += accepted; }
  bool LastRunAccepted() const { return run_members_ > 0 && run_accepted_ == run_members_; }
  // How many members of the last run the far end took; 0 after ClearLastRun,
  // so a caller can tell a run's tally from one before it.
  int LastRunAcceptedCount() const { return run_accepted_; }
  void ClearLastRun() { run_members_ = run_accepted_ = 0; }
  // "n of m members not sent" on the status line when some of the last run
  // were not, else an empty status line.
  void ReportRun();

 private:
  // One member of a run: the name for the receipt heading and the log, the
  // number as stored, why it is skipped (empty when it is sent) and its own
  // text, the fields filled.
  struct Recipient {
    std::string name;
    std::string number;
    std::string skipped;
    std::string text;
    // Its message in the message store.
    std::int64_t message_id = 0;
  };

  void EnterGroupMode();
  void LeaveGroupMode();
  void FillGroupList();
  // The member lines of the chosen group with their records in its table.
  std::vector<Recipient> GroupRecipients(const std::string& group);
  std::vector<Recipient> ListRecipients() const;

  // Clears the flags of the send record for a new run.
  void ResetRun();
  // Stops a group run before it starts: the reason on the receipt line.
  void Refuse(const std::string& reason);
  // Why `text` cannot go to a member; empty when it can.
  std::string TextRefusal(const std::string& text);
  // What a run prepares before its first member: each member's text (filled
  // from the message box when `fill`, else as stored) and the refusals that
  // look at it, the lines, the sender number, the locked window.
  bool PrepareRun(std::vector<Recipient>& recipients, bool fill);
  // The members queued in the message store, sent over the transport in
  // use, then the tally on the status line.
  void SendRun(std::vector<Recipient> recipients, bool highlight, const std::string& title);
  // Sends the members of a run the store holds, then the tally on the
  // status line, and ends the run.
  void SendQueued(const std::vector<Recipient>& recipients, bool highlight);
  // Sends to every recipient over one connection of the transport in use.
  void SendMembers(const std::vector<Recipient>& recipients, bool highlight);
  // A run none of whose members can be sent: each is told and logged, and
  // nothing is dialled or posted.
  void SkipAll(const std::vector<Recipient>& recipients, bool highlight);
  // Members whose numbers opted out are skipped with kReceiptOptedOut.
  void SkipOptedOut(std::vector<Recipient>& recipients) const;
  // Selects member `index`, readies SendState for it and waits for the rate
  // limits; false when it is skipped, or cancelled while it waited.
  bool BeginMember(const std::vector<Recipient>& recipients, int index, bool highlight);
  // A member that cannot be sent: its reason on the receipt line and in the log.
  void Skip(const Recipient& recipient);
  // After a run from group mode: the group controls usable again, "&Send"
  // and "No&w" still not.
  void RestoreGroupMode();

  GroupHost& window_;
  Dialogs& dialogs_;
  bool group_mode_ = false;
  std::vector<std::string> group_members_;
  int run_members_ = 0;
  int run_accepted_ = 0;
};

}  // namespace tolvane

#endif  // TOLVANE_BULK_GROUP_SENDING_H_
