// The NetworkManager dialler against a stand-in nmcli put first on the PATH.
#include "platform/qt/nm_dialler.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>
#include <filesystem>

#include "support/temp_dir.h"

namespace tolvane {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// Answers as NetworkManager's client does, for the connections "Provider"
// (a mobile-broadband modem) and "Broken", and records every call.
constexpr char kStandIn[] = R"sh(#!/bin/sh
dir="$(dirname "$0")"
echo "$*" >> "$dir/calls"
case "$*" in
  "-t -f NAME connection show") printf 'Provider\nOffice\\:VPN\nHome\\\\Net\n' ;;
  "-t -f NAME connection show --active") [ -f "$dir/active" ] && cat "$dir/active" ;;
  "-t -g connection.type connection show id Provider") echo gsm ;;
  *"connection up id Provider"*)
    for last; do :; done
    [ -f "$last" ] && cat "$last" > "$dir/secrets"
    if [ -f "$dir/busy" ]; then
      echo "Error: Connection activation failed: The line is busy." >&2
      exit 4
    fi
    echo Provider > "$dir/active"
    echo "Connection successfully activated" ;;
  *"connection up id Broken"*)
    echo "Error: Connection activation failed: No carrier could be established." >&2
    exit 4 ;;
  "connection down id Provider") rm -f "$dir/active" ;;
esac
)sh";

class NmDiallerTest : public ::testing::Test {
 protected:
  NmDiallerTest() : path_(qgetenv("PATH")) {
    bin_.WriteFile("nmcli", kStandIn);
    std::filesystem::permissions(bin_.FilePath("nmcli"), std::filesystem::perms::owner_all);
    qputenv("PATH", QByteArray::fromStdString(bin_.path().string()) + ":" + path_);
    dialler_.SetOnStateChanged([this](int state) { Note(std::to_string(state)); });
    dialler_.SetOnError([this](int number, const std::string& text) {
      Note("error " + std::to_string(number) + " " + text);
    });
  }
  ~NmDiallerTest() override { qputenv("PATH", path_); }

  void Note(const std::string& event) {
    events_.push_back(event);
    if (event == "8192" || event.rfind("error", 0) == 0) loop_.quit();
  }
  // Dials and waits until connected or failed.
  void DialAndWait() {
    dialler_.Dial();
    QTimer::singleShot(20000, &loop_, &QEventLoop::quit);
    loop_.exec();
  }
  std::string Calls() const { return bin_.ReadFile("calls"); }

  const QByteArray path_;
  testing::TempDir bin_;
  NmDialler dialler_;
  QEventLoop loop_;
  std::vector<std::string> events_;
};

TEST_F(NmDiallerTest, ListsDialsWithThePasswordAndHangsUp) {
  EXPECT_THAT(dialler_.ConnectionNames(), ElementsAre("Provider", "Office:VPN", "Home\\Net"));
  dialler_.SetEntryName("Provider");
  dialler_.SetPassword("pw \xE5");
  EXPECT_FALSE(dialler_.IsConnected());
  DialAndWait();
  EXPECT_THAT(events_, ElementsAre("5", "14", "8192"));
  EXPECT_TRUE(dialler_.IsConnected());
  EXPECT_EQ(bin_.ReadFile("secrets"), "gsm.password:pw \xC3\xA5\n");
  dialler_.HangUp();
  EXPECT_FALSE(dialler_.IsConnected());
  EXPECT_THAT(Calls(), HasSubstr("connection down id Provider"));
}

TEST_F(NmDiallerTest, ABusyLineIsTheBusyErrorAndOtherFailuresCarryTheirText) {
  bin_.WriteFile("busy", "");
  dialler_.SetEntryName("Provider");
  DialAndWait();
  EXPECT_THAT(events_,
              ElementsAre("5", "error 25676 Connection activation failed: The line is busy."));
  events_.clear();
  dialler_.SetEntryName("Broken");
  DialAndWait();
  EXPECT_THAT(events_, ElementsAre("5",
                                   "error 4 Connection activation failed: No carrier could be "
                                   "established."));
  EXPECT_FALSE(dialler_.IsConnected());
}

TEST_F(NmDiallerTest, WithoutNetworkManagerTheListIsEmptyAndDiallingSaysWhy) {
  testing::TempDir empty;
  qputenv("PATH", QByteArray::fromStdString(empty.path().string()));
  EXPECT_TRUE(dialler_.ConnectionNames().empty());
  dialler_.SetEntryName("Provider");
  EXPECT_FALSE(dialler_.IsConnected());
  DialAndWait();
  EXPECT_THAT(events_, ElementsAre("error 1 " + std::string(NmDialler::kUnavailableText)));
}

}  // namespace
}  // namespace tolvane
