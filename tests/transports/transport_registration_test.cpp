// A transport made outside the program's folders and registered with one
// line: its section of tolvmsg.ini and its sends come from its definition,
// with nothing in core naming it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/settings_file.h"
#include "core/settings_loader.h"
#include "support/scenarios.h"

namespace tolvane {
namespace {

// A line to a test bench: every message is taken at once, its receipt names
// the bench from the section [Bench].
struct BenchSettings : SettingsSection<BenchSettings> {
  static constexpr std::string_view kSection = "Bench";
  std::string Bench = "bench-1";
  static constexpr auto KeyList() {
    using S = BenchSettings;
    return std::array<SettingsKey<S>, 1>{{{"Bench", &S::Bench}}};
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
                "Test bench settings", "Bench?", "", {{"Bench:", Kind::kText, "Bench"}}};
          },
          [] { return std::make_unique<BenchSettings>(); },
          {}};
}

class TransportRegistrationTest : public testing::WindowScenario {
 protected:
  TransportRegistrationTest() {
    transports.push_back(BenchDefinition());  // the one line that registers it
  }
};

TEST_F(TransportRegistrationTest, ItsSectionIsReadAndItsSendsGoThroughIt) {
  book.dir().WriteFile("tolvmsg.ini", "[Access]\r\nAccessTyp=BENCH\r\n[Bench]\r\nBench=west\r\n");
  ProgramSettings loaded;
  loaded.ProgramFolder = book.Folder();
  AddSettingsSections(transports, loaded.transports);
  LoadSettings(SettingsFile(book.Folder()), loaded, nullptr);
  EXPECT_EQ(loaded.transports.Get<BenchSettings>().Bench, "west");
  settings = loaded;

  OpenTypedForTemporaryNumber();
  window->StartSend();
  ASSERT_NE(made, nullptr);
  EXPECT_THAT(made->taken, ::testing::ElementsAre("46701234567: Hej"));
  EXPECT_EQ(Receipt(), "Taken by west");
}

}  // namespace
}  // namespace tolvane
