// Sends through the main window to the simulated gateway, as the user sees
// them: receipt line, status line, message box, log file and what arrived.
#include <gtest/gtest.h>

#include "core/main_window.h"
#include "records/log_file.h"
#include "records/log_record.h"
#include "sim/sim_gateway.h"
#include "sim/sim_http_client.h"
#include "support/temp_dir.h"

namespace tolvane {
namespace {

using sim::GatewayAnswer;
using std::chrono::milliseconds;

class NullSerialPort : public SerialPort {
 public:
  void SetCommPort(int) override {}
  void SetSettings(const std::string&) override {}
  void SetHandshaking(int) override {}
  void SetRtsEnable(bool) override {}
  void SetDtrEnable(bool) override {}
  bool DtrEnable() const override { return false; }
  bool Open() override { return false; }
  void Close() override {}
  bool IsOpen() const override { return false; }
  void Output(const std::string&) override {}
  std::string Input() override { return ""; }
  void ClearInput() override {}
  void ClearOutput() override {}
  int OutBufferCount() const override { return 0; }
  bool CdHolding() const override { return false; }
  void SetOnComm(std::function<void(CommEvent)>) override {}
};

class CountingDialogs : public Dialogs {
 public:
  MessageAnswer MessageBox(const std::string& text, const std::string&, MessageIcon,
                           MessageButtons) override {
    ADD_FAILURE() << "unexpected message box: " << text;
    return MessageAnswer::kOk;
  }
  void Beep() override { ++beeps; }
  int beeps = 0;
};

class NullClipboard : public Clipboard {
 public:
  bool HasText() const override { return false; }
  std::string Text() const override { return ""; }
  void SetText(const std::string&) override {}
};

class NullHelpViewer : public HelpViewer {
 public:
  bool ShowContents(const std::string&) override { return false; }
};

class NullHost : public MainWindowHost {
 public:
  void OpenPhoneBook() override {}
  void OpenQuickMessages() override {}
  void OpenSettings() override {}
  void CloseMainWindow() override {}
};

constexpr char kTypedNumber[] = "+46 70-123 45 67";
constexpr char kNumber[] = "46701234567";

class GatewaySendScenarioTest : public ::testing::Test {
 protected:
  GatewaySendScenarioTest() {
    settings_.ProgramFolder = dir_.Folder();
    settings_.AccessTyp = "TCP";
    settings_.TCPAnvNamn = "konto";
    settings_.GatewayPassword = "p&w=1";
    settings_.Logg = "1";
    settings_.LoggOn = true;
    window_.Gateway().ConfigureClient();
    window_.OnTemporaryNumberToggled(true);
    window_.OnNumberEdited(kTypedNumber);
  }

  void Send(const std::string& text, bool double_message = false) {
    window_.OnDoubleToggled(double_message);
    window_.OnMessageEdited(text);
    window_.StartSend();
  }

  const std::string& Text(MainControl control) const { return window_.Control(control).text; }
  std::vector<LogRecord> Log() const { return ReadLogRecords(dir_.Folder()); }

  testing::TempDir dir_;
  sim::SimEventLoop loop_;
  sim::SimGateway gateway_;
  sim::SimHttpClient http_{loop_, gateway_};
  NullSerialPort serial_;
  CountingDialogs dialogs_;
  NullClipboard clipboard_;
  NullHelpViewer help_;
  NullHost host_;
  ProgramSettings settings_;
  MainWindow window_{settings_, {loop_, serial_, http_, dialogs_, clipboard_, help_}, host_};
};

TEST_F(GatewaySendScenarioTest, SingleMessageShowsTheGatewaysReceiptAndIsLogged) {
  Send("Meet at 8 & bring C++ book, 50% off");

  ASSERT_EQ(gateway_.Requests().size(), 1u);
  const sim::GatewayRequest& request = gateway_.Requests()[0];
  EXPECT_EQ(request.Field("toPhoneNumber"), kNumber);
  EXPECT_EQ(request.Field("message"), "Meet at 8 & bring C++ book, 50/ off");
  EXPECT_EQ(request.Field("accountPassword"), "p&w=1");
  EXPECT_EQ(request.Field("timeoutMS"), "40000");
  EXPECT_EQ(loop_.Elapsed(), milliseconds(2000));

  EXPECT_EQ(Text(MainControl::kReceiptLine), "Message delivered to recipients phone");
  EXPECT_EQ(Text(MainControl::kReceiptFrame), "Receipt for sending to: Temporary number");
  EXPECT_EQ(Text(MainControl::kStatusLine), "");
  EXPECT_EQ(dialogs_.beeps, 1);
  EXPECT_TRUE(window_.Control(MainControl::kSend).enabled);
  EXPECT_FALSE(window_.Control(MainControl::kCancel).enabled);
  EXPECT_FALSE(window_.State().sending);

  std::vector<LogRecord> log = Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].recipient, std::string("Temporary number ") + kNumber);
  EXPECT_EQ(log[0].result, "Message delivered to recipients phone");
  EXPECT_EQ(log[0].message, "Meet at 8 & bring C++ book, 50% off");
}

TEST_F(GatewaySendScenarioTest, RefusalWithoutReceiptsIsAnOrdinaryAnswer) {
  settings_.EjKvitto = "1";
  settings_.EjKvittoOn = true;
  gateway_.SetAnswer(kNumber, GatewayAnswer::Status(433, 700));
  Send("Hello");
  EXPECT_EQ(gateway_.Requests()[0].Field("timeoutMS"), "2000");
  EXPECT_EQ(loop_.Elapsed(), milliseconds(700));
  EXPECT_EQ(Text(MainControl::kReceiptLine), "Account don\xB4t exist");
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(Log()[0].result, "Account don\xB4t exist");
}

TEST_F(GatewaySendScenarioTest, NoAnswerGivesUpAfterTheFortyFirstTick) {
  gateway_.SetDefaultAnswer(GatewayAnswer::Silent());
  Send("Hello");
  EXPECT_EQ(Text(MainControl::kReceiptLine), "The operator didn\xB4t send a receipt.");
  EXPECT_EQ(loop_.Elapsed(), milliseconds(2000 + 41 * 2000));
  EXPECT_EQ(http_.CancelCount(), 1);
  EXPECT_FALSE(http_.StillExecuting());
  EXPECT_TRUE(window_.Control(MainControl::kSend).enabled);
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(Log()[0].result, "The operator didn\xB4t send a receipt.");
}

TEST_F(GatewaySendScenarioTest, ConnectionFailureShowsTheErrorAndEndsTheSend) {
  gateway_.SetDefaultAnswer(GatewayAnswer::Close(300));
  Send("Hello");
  EXPECT_EQ(Text(MainControl::kReceiptLine), "Error: 2:Connection closed by the gateway");
  EXPECT_EQ(dialogs_.beeps, 0);
  EXPECT_FALSE(window_.State().sending);
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(Log()[0].result, "Error: 2:Connection closed by the gateway");
}

TEST_F(GatewaySendScenarioTest, CancelWhileWaitingForTheAnswerEndsTheSendOnce) {
  gateway_.SetDefaultAnswer(GatewayAnswer::Status(200, 20000));
  loop_.After(milliseconds(5000), [this] { window_.CancelSend(); });
  Send("Hello");
  loop_.RunFor(milliseconds(60000));
  EXPECT_EQ(http_.CancelCount(), 1);
  EXPECT_EQ(dialogs_.beeps, 0);
  EXPECT_TRUE(window_.Control(MainControl::kSend).enabled);
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(Log()[0].result, kLogCancelledResult);
}

TEST_F(GatewaySendScenarioTest, DoubleMessageGoesInTwoPartsAndTheBoxGetsItsTextBack) {
  std::string text = std::string(160, 'a') + std::string(40, 'b');
  Send(text, true);

  ASSERT_EQ(gateway_.Requests().size(), 2u);
  EXPECT_EQ(gateway_.Requests()[0].Field("message"), std::string(160, 'a'));
  EXPECT_EQ(gateway_.Requests()[0].Field("followingMessages"), "1");
  EXPECT_EQ(gateway_.Requests()[1].Field("message"), std::string(40, 'b'));
  EXPECT_EQ(gateway_.Requests()[1].Field("followingMessages"), "0");
  EXPECT_EQ(window_.MessageText(), text);
  EXPECT_EQ(Text(MainControl::kReceiptLine), "Message delivered to recipients phone");
  EXPECT_FALSE(window_.State().sending);
  EXPECT_TRUE(window_.Control(MainControl::kSend).enabled);

  std::vector<LogRecord> log = Log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].message, std::string(160, 'a'));
  EXPECT_EQ(log[1].message, std::string(40, 'b'));
}

TEST_F(GatewaySendScenarioTest, CancelDuringTheFirstPartNeverSendsTheSecond) {
  gateway_.SetDefaultAnswer(GatewayAnswer::Status(200, 10000));
  loop_.After(milliseconds(5000), [this] { window_.CancelSend(); });
  std::string text(200, 'x');
  Send(text, true);
  loop_.RunFor(milliseconds(60000));

  EXPECT_EQ(gateway_.Requests().size(), 1u);
  EXPECT_EQ(window_.MessageText(), text);
  EXPECT_FALSE(window_.State().keep_line);
  EXPECT_FALSE(window_.State().sending);
  EXPECT_TRUE(window_.Control(MainControl::kSend).enabled);
  EXPECT_FALSE(window_.Control(MainControl::kCancel).enabled);
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(Log()[0].result, kLogCancelledResult);
}

}  // namespace
}  // namespace tolvane
