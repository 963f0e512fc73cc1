// Whatever the gateway answers, in whatever pieces: the receipt line shows a
// text of the status table (or the client's error), the window is unlocked,
// and the balance window shows a sentence for any pair of answers.
//
// Input: one byte of options, the client's error text, the header text, the
// sizes of the body pieces, then the body (also the balance answers).
#include <fuzzer/FuzzedDataProvider.h>

#include <set>
#include <string>
#include <vector>

#include "fuzz_session.h"
#include "gateway/balance_window.h"
#include "gateway/kolla_header.h"

namespace tolvane {
namespace {

// Answers every request with the fuzzer's header and body, handed out in the
// fuzzer's piece sizes, or with an error.
class ScriptedHttpClient : public HttpClient {
 public:
  ScriptedHttpClient(sim::SimEventLoop& loop, FuzzedDataProvider& input, uint8_t options)
      : loop_(loop) {
    fail_ = options & 1;
    error_code_ = options >> 1;
    error_text_ = input.ConsumeRandomLengthString(40);
    header_ = input.ConsumeRandomLengthString(200);
    for (int i = input.ConsumeIntegralInRange(0, 6); i > 0; --i) {
      pieces_.push_back(input.ConsumeIntegralInRange(0, 2000));
    }
    body_ = input.ConsumeRemainingBytesAsString();
  }

  void Execute(const std::string&, const std::string&, const std::string&,
               const std::string&) override {
    executing_ = true;
    read_ = 0;
    piece_ = 0;
    loop_.After(std::chrono::milliseconds(300), [this] {
      if (!executing_) return;
      executing_ = false;
      if (on_state_) on_state_(fail_ ? kStateError : kStateResponseCompleted);
    });
  }
  void SetOnStateChanged(std::function<void(int)> handler) override {
    on_state_ = std::move(handler);
  }
  std::string GetChunk(int size) override {
    size_t take = static_cast<size_t>(size);
    if (piece_ < pieces_.size()) take = std::min(take, pieces_[piece_++]);
    std::string chunk = body_.substr(std::min(read_, body_.size()), take);
    read_ += chunk.size();
    return chunk;
  }
  std::string GetHeader() override { return header_; }
  int ResponseCode() const override { return error_code_; }
  std::string ResponseInfo() const override { return error_text_; }
  bool StillExecuting() const override { return executing_; }
  void Cancel() override { executing_ = false; }
  void SetProxy(int, const std::string&, int) override {}
  std::string OpenUrl(const std::string&, int) override {
    // The credit question gets the header, the balance question the body.
    return open_count_++ % 2 == 0 ? header_ : body_;
  }

 private:
  sim::SimEventLoop& loop_;
  std::function<void(int)> on_state_;
  bool fail_ = false;
  int error_code_ = 0;
  std::string error_text_;
  std::string header_;
  std::string body_;
  std::vector<size_t> pieces_;
  size_t piece_ = 0;
  size_t read_ = 0;
  bool executing_ = false;
  int open_count_ = 0;
};

const std::set<std::string>& StatusTexts() {
  static const std::set<std::string> texts = [] {
    std::set<std::string> all;
    for (int code = 100; code < 1000; ++code) all.insert(KollaHeader(std::to_string(code)));
    return all;
  }();
  return texts;
}

}  // namespace

int FuzzOne(const uint8_t* data, size_t size) {
  SessionRun run(data, size);
  ScriptedHttpClient client(run.loop, run.input, run.options);
  ProgramSettings& settings = run.settings;
  settings.AccessTyp = "TCP";
  MainWindow window(settings, run.peripherals.Services(run.loop, client), run.peripherals.host);
  window.ConfigureTransports();
  window.OnTemporaryNumberToggled(true);
  window.OnNumberEdited("0701234567");
  window.OnMessageEdited("Hello");
  window.StartSend();

  const std::string& receipt = window.Control(MainControl::kReceiptLine).text;
  FUZZ_CHECK(StatusTexts().count(receipt) == 1 || receipt.rfind("Error: ", 0) == 0);
  FUZZ_CHECK(SendEndedCleanly(window, client.StillExecuting()));

  BalanceWindow balance(client, settings, {"http://localhost", "konto", "secret"});
  balance.Load();
  FUZZ_CHECK(!balance.ResultText().empty());
  return 0;
}

}  // namespace tolvane
