// The NetworkManager dialler against a stand-in nmcli put first on the PATH.
#include "platform/qt/nm_dialler.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <algorithm>
#include <filesystem>

#include "support/qt/run_until.h"
#include "support/temp_dir.h"

namespace tolvane {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// Knows the connection "Provider" on ttyUSB0 and records every call. Its
// monitor plays the file "monitor" and stays; at "@up" the waiting "connection
// up" ends (failing with the text of the file "fail" if there is one).
constexpr char kStandIn[] = R"sh(#!/bin/sh
dir="$(dirname "$0")"
echo "$*" >> "$dir/calls"
case "$*" in
  "-t -f NAME connection show") printf 'Provider\nOffice\\:VPN\nHome\\\\Net\n' ;;
  "-t -f NAME,DEVICE connection show --active") [ -f "$dir/active" ] && cat "$dir/active" ;;
  "-t -g connection.type connection show id Provider") echo gsm ;;
  "--colors no monitor")
    echo $$ > "$dir/monitor.pid"
    [ "$LC_ALL" = C.UTF-8 ] || exit 1
    while IFS= read -r line; do
      if [ "$line" = @up ]; then echo > "$dir/up"; else printf '%s\n' "$line"; fi
    done < "$dir/monitor"
    exec sleep 600 ;;
  *"connection up id Provider"*)
    for last; do :; done
    [ -f "$last" ] && cat "$last" > "$dir/secrets"
    [ -f "$dir/fail" ] || echo Provider:ttyUSB0 > "$dir/active"
    read -r _ < "$dir/up"
    [ -f "$dir/fail" ] && { cat "$dir/fail" >&2; exit 4; }
    echo "Connection successfully activated" ;;
  "connection down id Provider") rm -f "$dir/active" ;;
esac
)sh";

class NmDiallerTest : public ::testing::Test {
 protected:
  NmDiallerTest() : path_(qgetenv("PATH")) {
    bin_.WriteFile("nmcli", kStandIn);
    std::filesystem::permissions(bin_.FilePath("nmcli"), std::filesystem::perms::owner_all);
    ::mkfifo(bin_.FilePath("up").c_str(), 0600);
    qputenv("PATH", QByteArray::fromStdString(bin_.path().string()) + ":" + path_);
    dialler_.SetOnStateChanged([this](int state) { events_.push_back(std::to_string(state)); });
    dialler_.SetOnError([this](int number, const std::string& text) {
      events_.push_back("error " + std::to_string(number) + " " + text);
    });
  }
  ~NmDiallerTest() override { qputenv("PATH", path_); }

  // What the monitor tells on its next start.
  void Play(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    bin_.WriteFile("monitor", text);
  }
  // Waits until `event` or an error has come.
  void WaitFor(const std::string& event) {
    testing::RunUntil(
        [&] {
          return std::ranges::any_of(events_, [&](const std::string& seen) {
            return seen == event || seen.starts_with("error");
          });
        },
        20000);
  }
  void DialUntil(const std::string& event) {
    dialler_.Dial();
    WaitFor(event);
  }
  bool MonitorRuns() const { return ::kill(std::stoi(bin_.ReadFile("monitor.pid")), 0) == 0; }

  const QByteArray path_;
  testing::TempDir bin_;
  NmDialler dialler_;
  std::vector<std::string> events_;
};

TEST_F(NmDiallerTest, ListsDialsThroughEachStateAndHangsUpWithoutAWord) {
  EXPECT_THAT(dialler_.ConnectionNames(), ElementsAre("Provider", "Office:VPN", "Home\\Net"));
  dialler_.SetEntryName("Provider");
  dialler_.SetPassword("pw å");
  EXPECT_FALSE(dialler_.IsConnected());
  // A device's state may come before its connection; other devices are not ours.
  Play({"eth0: connecting (prepare)", "ttyUSB0: connecting (prepare)",
        "ttyUSB0: using connection 'Provider'", "Connectivity is now 'limited'",
        "ttyUSB0: connecting (need authentication)", "eth0: connected",
        "ttyUSB0: connecting (getting IP configuration)", "@up", "ttyUSB0: connected",
        "'Provider' is now the primary connection", "eth0: disconnected"});
  DialUntil("8192");
  EXPECT_THAT(events_, ElementsAre("5", "14", "8192"));
  EXPECT_TRUE(dialler_.IsConnected());
  EXPECT_EQ(bin_.ReadFile("secrets"), "gsm.password:pw \xC3\xA5\n");
  EXPECT_TRUE(MonitorRuns());

  dialler_.HangUp();
  EXPECT_FALSE(MonitorRuns());
  QCoreApplication::processEvents();
  EXPECT_THAT(events_, ElementsAre("5", "14", "8192"));
  EXPECT_THAT(bin_.ReadFile("calls"), HasSubstr("connection down id Provider"));
}

// A connection that was up before is watched from when it is found.
TEST_F(NmDiallerTest, TheLineGoingIsDisconnectedOnceAlsoForAConnectionFoundUp) {
  dialler_.SetEntryName("Provider");
  bin_.WriteFile("active", "Provider:ttyUSB0\n");
  Play({"ttyUSB0: connected", "ttyUSB0: connection failed", "ttyUSB0: deactivating",
        "ttyUSB0: disconnected"});
  EXPECT_TRUE(dialler_.IsConnected());
  WaitFor("8193");
  EXPECT_THAT(events_, ElementsAre("8193"));
  EXPECT_FALSE(MonitorRuns());
}

TEST_F(NmDiallerTest, ABusyLineIsTheBusyErrorAndOtherFailuresCarryTheirText) {
  dialler_.SetEntryName("Provider");
  Play({"ttyUSB0: using connection 'Provider'", "ttyUSB0: connecting (prepare)",
        "ttyUSB0: connection failed", "ttyUSB0: disconnected", "@up"});
  for (const auto& [failure, number] :
       {std::pair{"The line is busy.", 25676}, {"No carrier could be established.", 4}}) {
    const std::string text = std::string("Connection activation failed: ") + failure;
    bin_.WriteFile("fail", "Error: " + text + "\n");
    events_.clear();
    DialUntil("error");
    EXPECT_THAT(events_, ElementsAre("5", "error " + std::to_string(number) + " " + text));
    EXPECT_FALSE(MonitorRuns());
  }
}

TEST_F(NmDiallerTest, WithoutNetworkManagerTheListIsEmptyAndDiallingSaysWhy) {
  testing::TempDir empty;
  qputenv("PATH", QByteArray::fromStdString(empty.path().string()));
  EXPECT_TRUE(dialler_.ConnectionNames().empty());
  dialler_.SetEntryName("Provider");
  EXPECT_FALSE(dialler_.IsConnected());
  DialUntil("error");
  EXPECT_THAT(events_, ElementsAre("error 1 " + std::string(NmDialler::kUnavailableText)));
}

}  // namespace
}  // namespace tolvane
