#include "core/opt_out_check.h"

#include <algorithm>

#include "platform/store_error.h"
#include "sms/number_forms.h"
#include "sms/sms_address.h"

namespace tolvane {

OptOutCheck::OptOutCheck(const OptOutList* list) {
  if (list == nullptr) return;
  try {
    numbers_ = list->OptOuts();
  } catch (const StoreError&) {
  }
}

std::string OptOutCheck::Match(const std::string& typed) const {
  if (numbers_.empty()) return {};
  const std::string number = NormalisedNumber(typed);
  const auto found = std::find_if(numbers_.begin(), numbers_.end(), [&](const std::string& listed) {
    return SameNumber(number, listed);
  });
  return found == numbers_.end() ? std::string() : *found;
}

OptOutCheck::Verdict OptOutCheck::SingleSend(const std::string& typed, bool unattended,
                                             Dialogs& dialogs) const {
  const std::string listed = Match(typed);
  if (listed.empty()) return Verdict::kSend;
  if (unattended) return Verdict::kRefuse;
  const MessageAnswer answer =
      dialogs.MessageBox(listed + " asked to receive no more messages (opted out). Send anyway?",
                         "Opted out", MessageIcon::kQuestion, MessageButtons::kYesNo);
  return answer == MessageAnswer::kYes ? Verdict::kSend : Verdict::kKeep;
}

}  // namespace tolvane
