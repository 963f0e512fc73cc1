// A transport made outside the program's folders and registered with one
// line: its "Use:" option and page, its section of tolvmsg.ini, its secret
// and its sends all come from its definition, with nothing in core naming it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "core/program.h"
#include "core/program_location.h"
#include "core/secret_store.h"
#include "core/settings_file.h"
#include "core/settings_loader.h"
#include "core/store_secret_command.h"
#include "settings_dialog/settings_dialog.h"
#include "sim/sim_event_loop.h"
#include "support/scenarios.h"

namespace tolvane {
namespace {

// A line to a test bench: every message is taken at once, its receipt names
// the bench from the section [Bench].
struct BenchSettings : SettingsSection<BenchSettings> {
  static constexpr std::string_view kSection = "Bench";
  std::string Bench = "bench-1";
  std::string Speed = "7";
  static constexpr auto KeyList() {
    using S = BenchSettings;
    return std::array<SettingsKey<S>, 2>{{{"Bench", &S::Bench}, {"Speed", &S::Speed}}};
  }
};

class BenchTransport : public Transport {
 public:
  explicit BenchTransport(SendContext& context) : context_(context) {}

  void Configure(const std::function<void(int)>&) override {}
  bool SplitsLongMessages() const override { return true; }
  std::string RefusalOf(std::string_view) const override { return ""; }
  void PrepareForSend() override {}
  void SendSingle() override { Take(); }
  void SendDouble() override { Take(); }
  bool OpenRun() override { return true; }
  bool SendMember(int) override { return Take(), true; }
  void CloseRun(bool) override {}
  void Cancel() override {}
  void StopExchange() override {}
  bool ConnectionLost() const override { return false; }
  bool LineHeld() const override { return false; }
  void StopTimers() override {}
  void HangUp() override {}

  std::vector<std::string> taken;

 private:
  void Take() {
    SendState& state = context_.State();
    taken.push_back(state.recipient_number + ": " + context_.MessageText());
    state.accepted = state.ended = true;
    context_.SetReceiptLine("Taken by " +
                            context_.Settings().transports.Get<BenchSettings>().Bench);
  }
  SendContext& context_;
};

BenchTransport* made = nullptr;

struct QuietHost : SettingsDialogHost {
  void ReconfigureTransports() override {}
  void RefreshRecipientList() override {}
  void OpenBalance(const BalanceQuery&) override {}
  std::optional<std::string> ChooseFolder(const std::string&) override { return std::nullopt; }
};

TransportDefinition BenchDefinition() {
  using Kind = SettingsField::Kind;
  return {"BENCH",
          [](const TransportServices& s) -> std::unique_ptr<Transport> {
            auto transport = std::make_unique<BenchTransport>(s.context);
            made = transport.get();
            return transport;
          },
          "Test bench",
          [] {
            return SettingsPageLayout{
                "Test bench settings",
                "Bench?",
                "bench-key",
                {{"Bench:", Kind::kText, "Bench", 0, 0, 0, true, {}, "Name the bench!"},
                 {"Speed:", Kind::kNumber, "Speed", 1, 9, 0, true, {}, "A speed from 1 to 9!"},
                 {"Key:", Kind::kPassword}}};
          },
          [] { return std::make_unique<BenchSettings>(); },
          {{"bench-key",
            [](std::string_view key) { return key.size() == 3 ? "" : "The key has 3 letters"; }}}};
}

class TransportRegistrationTest : public testing::WindowScenario {
 protected:
  TransportRegistrationTest() {
    transports.push_back(BenchDefinition());  // the one line that registers it
  }
};

TEST_F(TransportRegistrationTest, ItsSectionIsReadItsSendsGoThroughItAndItsPageWritesIt) {
  book.dir().WriteFile("tolvmsg.ini", "[Access]\r\nAccessTyp=BENCH\r\n[Bench]\r\nBench=west\r\n");
  ProgramSettings loaded;
  loaded.ProgramFolder = book.Folder();
  AddSettingsSections(transports, loaded.transports);
  LoadSettings(SettingsFile(book.Folder()), loaded, nullptr);
  EXPECT_EQ(loaded.transports.Get<BenchSettings>().Bench, "west");
  EXPECT_EQ(loaded.transports.Get<BenchSettings>().Speed, "7");
  settings = loaded;

  OpenTypedForTemporaryNumber();
  window->StartSend();
  ASSERT_NE(made, nullptr);
  EXPECT_THAT(made->taken, ::testing::ElementsAre("46701234567: Hej"));
  EXPECT_EQ(Receipt(), "Taken by west");

  // Its "Use:" option and page: refused in the box, then written in [Bench],
  // the key only as its secret.
  testing::FakeDialogs dialogs;
  QuietHost quiet;
  SettingsDialog dialog({settings, transports, dialogs, quiet, nullptr, nullptr});
  TransportSettingsPage* page = dialog.PageFor("BENCH");
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(dialog.PageOption(dialog.PageCount() - 1).text, "Test bench");
  EXPECT_TRUE(dialog.PageOption(dialog.PageCount() - 1).checked);
  EXPECT_EQ(page->Control(0).text, "west");
  page->EditText(1, "10");
  page->EditText(2, "abcd");
  dialog.Press(SettingsControl::kOk);
  page->EditText(1, "9");
  dialog.Press(SettingsControl::kOk);
  page->EditText(2, "abc");
  dialog.Press(SettingsControl::kOk);
  EXPECT_THAT(dialogs.Texts(),
              ::testing::ElementsAre("A speed from 1 to 9!", "The key has 3 letters!"));
  EXPECT_TRUE(dialog.Closed());
  EXPECT_THAT(book.dir().ReadFile("tolvmsg.ini"),
              ::testing::HasSubstr("[Bench]\r\nBench=west\r\nSpeed=9\r\n"));
  EXPECT_EQ(SecretStore(book.Folder()).ReadSecret("bench-key"), "abc");

  // Its secret on the command line, with its own rule.
  std::istringstream in("abcd\n");
  std::ostringstream error;
  EXPECT_EQ(StoreSecret({"bench-key"}, in, error, ProgramLocation(book.Folder()), transports),
            kExitFailed);
  EXPECT_EQ(error.str(), "The key has 3 letters\n");
}

}  // namespace
}  // namespace tolvane
