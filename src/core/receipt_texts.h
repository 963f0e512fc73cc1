#ifndef TOLVANE_CORE_RECEIPT_TEXTS_H_
#define TOLVANE_CORE_RECEIPT_TEXTS_H_

namespace tolvane {

// The receipt lines every transport shows for the same outcome, so a script
// reading the log or a receipt file need not know which one sent.
// The message was accepted and no report is awaited.
inline constexpr char kReceiptSent[] = "Message sent.";
// The user pressed "&Cancel".
inline constexpr char kReceiptCancelled[] = "Sending Cancelled.";
// The message was accepted, and the user cancelled the wait for its report;
// the log and the receipt file keep kReceiptSent, so nobody sends it again.
inline constexpr char kReceiptWaitCancelled[] =
    "Message sent. Cancelled while waiting for the receipt.";
// Every part's report says the message arrived.
inline constexpr char kReceiptDelivered[] = "Message delivered.";
// The message was accepted and its report never came.
inline constexpr char kReceiptNoReport[] = "The operator didn´t send a receipt.";
// Followed by the reason.
inline constexpr char kReceiptNotDelivered[] = "Not delivered: ";
// A submit went out, its answer never came: it is not sent again.
inline constexpr char kReceiptAnswerLost[] = "Unknown: the connection broke before the answer came";
// A part went out before the program ended and its answer never came; a run
// continued since does not send it again, whatever the other parts got.
inline constexpr char kReceiptUnknown[] = "Unknown";
// The number asked to receive no more messages: nothing was sent to it.
inline constexpr char kReceiptOptedOut[] = "Opted out";

}  // namespace tolvane

#endif  // TOLVANE_CORE_RECEIPT_TEXTS_H_
