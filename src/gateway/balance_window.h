#ifndef TOLVANE_GATEWAY_BALANCE_WINDOW_H_
#define TOLVANE_GATEWAY_BALANCE_WINDOW_H_

#include <functional>
#include <string>

#include "core/program_settings.h"
#include "platform/http_client.h"

namespace tolvane {

// Whose balance to ask for, and where: the boxes of the settings dialog as
// they stand (not the saved settings).
struct BalanceQuery {
  std::string gateway;  // base address
  std::string account_name;
  std::string password;
};

// The "Meddelandesaldo" window: asks the gateway for the account's credit
// limit and its message balance, and shows one sentence about them. It has an
// HTTP client of its own.
class BalanceWindow {
 public:
  // Each question gives up after this long, so that an unreachable gateway
  // cannot hold the program.
  static constexpr int kRequestTimeoutMs = 15000;

  // Name and password lose their surrounding blanks.
  BalanceWindow(HttpClient& client, const ProgramSettings& settings, const BalanceQuery& query);

  static const char* Title() { return "Meddelandesaldo"; }
  // The result label: the gateway's words may stand in it, so it is plain text.
  const std::string& ResultText() const { return result_; }
  // Asks both questions; "Kollar saldot..." shows meanwhile. `on_progress`
  // runs when the label changed before the first question, so the window can
  // show it.
  void Load(const std::function<void()>& on_progress = nullptr);
  // The OK button: a question still under way is cancelled.
  void Ok();

  // The two request addresses.
  std::string CreditAddress() const;
  std::string BalanceAddress() const;

 private:
  std::string Address(const std::string& question) const;

  HttpClient& client_;
  const ProgramSettings& settings_;
  BalanceQuery query_;
  std::string result_;
};

// The sentence for a credit limit and a balance, both numeric texts.
std::string BalanceSentence(const std::string& credit, const std::string& balance);

}  // namespace tolvane

#endif  // TOLVANE_GATEWAY_BALANCE_WINDOW_H_
