// Kills the real program (SIGKILL) at a step of a group order to 40 members
// of two parts each, then continues the run with `tolvane --resume`: the
// simulator's record must hold each part for each member exactly once under
// one reference, or at most once for a member the log calls "Unknown". Each
// point prints a "crash point:" line that scripts/crash-loop.sh tallies.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "records/log_record.h"
#include "support/qt/program_run.h"
#include "support/qt/simulator_process.h"
#include "support/temp_dir.h"
#include "support/test_phone_book.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;

const fs::path kBin = TOLVANE_BIN_DIR;
constexpr int kMembers = 40;
constexpr int kParts = 2;

// What a kill follows: the set-up, the count-th submit seen, the count-th part
// taken, the count-th member's last part taken, or a part taken with a longer
// delay, to land in the store's commit of it.
enum class Step { kLogin, kSubmit, kAnswer, kMemberDone, kCommit };
constexpr const char* kStepNames[] = {"login", "submit", "answer", "member", "commit"};

struct KillPoint {
  Step step;
  int count;
  int delay_us;
};

struct Link {
  const char* access;  // AccessTyp
  const char* simulator;
  QStringList options;
  const char* login;   // a line of the set-up, before any submit
  const char* submit;  // how the line of a submit starts
};

void PrintTo(const Link& link, std::ostream* out) { *out << link.access; }

const Link kLinks[] = {
    {"SMPP",
     "smpp-sim",
     {"--port", "0", "--submit-delay", "300"},
     "\nbind_transceiver tolvane: no error",
     "\nsubmit_sm to "},
    {"EMI",
     "emi-sim",
     {"--port", "0", "--submit-delay", "300"},
     "\nop 60 tolvane: logged in",
     "\nop 51 to "},
    {"GSM", "gsm-modem-sim", {"--network-delay", "20"}, "\ncommand AT+CPIN?", "\ncommand AT+CMGS="},
};

const std::string kText = [] {
  std::string text = "Kill point ";
  while (text.size() < 200) text += static_cast<char>('a' + text.size() % 26);
  return text;
}();

std::string Number(int member) { return "07010000" + std::to_string(10 + member); }

int Setting(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value == nullptr ? fallback : std::atoi(value);
}

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> fields;
  std::istringstream in(text);
  for (std::string field; std::getline(in, field, separator);) fields.push_back(field);
  return fields;
}

// The record's lines: number, destination, reference, part, parts, text.
std::vector<std::vector<std::string>> ReadRecord(const fs::path& file) {
  std::vector<std::vector<std::string>> lines;
  for (const std::string& line : Split(ReadFile(file), '\n')) lines.push_back(Split(line, '\t'));
  return lines;
}

// Whether SQLite's write-ahead log ends in frames of an uncommitted
// transaction (commit size 0, or cut short): the kill came inside a commit.
bool TornCommit(const fs::path& wal) {
  const std::string bytes = ReadFile(wal);
  if (bytes.size() < 32) return false;
  auto word = [&](size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    return value;
  };
  const size_t frame = 24 + word(8);
  bool open = false;
  for (size_t at = 32; at + 24 <= bytes.size() && bytes.compare(at + 8, 8, bytes, 16, 8) == 0;
       at += frame) {
    if (at + frame > bytes.size()) return true;
    open = word(at + 4) == 0;
  }
  return open;
}

// The system call the process is in when it is on a file of the store.
std::string StoreCall(qint64 pid) {
  const std::string process = "/proc/" + std::to_string(pid);
  std::ifstream in(process + "/syscall");
  std::string number, descriptor;
  in >> number >> descriptor;
  if (!descriptor.starts_with("0x")) return "";
  std::error_code error;
  const fs::path file = fs::read_symlink(
      process + "/fd/" + std::to_string(std::stoul(descriptor, nullptr, 16)), error);
  return file.filename().string().starts_with("messages.db") ? number : "";
}

struct Outcome {
  std::vector<std::string> faults;
  int resume_status = -1;
  int unknown = 0;       // members the log calls "Unknown"
  int logged_twice = 0;  // members with more than one log line
  bool torn = false;
  std::string store_call;
};

class CrashTest : public ::testing::TestWithParam<Link> {
 protected:
  CrashTest() {
    testing::TestPhoneBook book;
    for (int member = 1; member <= kMembers; ++member) {
      book.AddToGroup("Crew", "Member " + std::to_string(member), Number(member));
    }
    fs::copy_file(book.dir().path() / "teledata.mdb", book_.path() / "teledata.mdb");
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
      environment_.remove(name);
    }
  }

  Outcome Crash(const KillPoint& point) {
    const Link& link = GetParam();
    testing::TempDir folder;
    const fs::path program_file = folder.path() / "tolvane";
    fs::copy_file(kBin / "tolvane", program_file);
    fs::copy_file(book_.path() / "teledata.mdb", folder.path() / "teledata.mdb");
    const fs::path record = folder.path() / "record.txt";
    testing::SimulatorProcess simulator;
    const std::string access = link.access;
    const std::string address = simulator.Start(
        link.simulator,
        link.options + QStringList{"--record", QString::fromStdString(record.string())},
        access == "GSM" ? "/dev/\\S+" : "127\\.0\\.0\\.1:[0-9]+");
    const std::string section =
        access == "GSM"
            ? "Device=" + address
            : "Host=127.0.0.1\r\nPort=" + address.substr(address.find(':') + 1) +
                  (access == "SMPP" ? "\r\nSystemId" : "\r\nUser") + "=tolvane\r\nWindow=10";
    folder.WriteFile("tolvmsg.ini", "[Access]\r\nAccessTyp=" + access + "\r\n[" + access + "]\r\n" +
                                        section + "\r\n[Modem]\r\nLogg=1\r\nEjKvitto=1\r\n");
    if (access != "GSM") {
      EXPECT_EQ(Run(program_file, {"--store-secret", QString::fromStdString(access).toLower()},
                    "secret\n")
                    .status,
                0);
    }

    QProcess program;
    program.setProcessEnvironment(environment_);
    program.setWorkingDirectory(QString::fromStdString(elsewhere_.path().string()));
    program.start(QString::fromStdString(program_file.string()),
                  {QString::fromStdString("G//Crew//" + kText)});
    std::string seen = "\n";
    Outcome outcome;
    QElapsedTimer clock;
    clock.start();
    while (!Reached(point, seen, record)) {
      // Every step comes within seconds of the start.
      if (program.state() == QProcess::NotRunning || clock.elapsed() > 60000) {
        program.kill();
        program.waitForFinished(5000);
        outcome.faults.push_back(
            "the step never came: " + program.readAllStandardError().toStdString() + seen);
        return outcome;
      }
      seen += simulator.Read(1);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(point.delay_us));
    outcome.store_call = StoreCall(program.processId());
    program.kill();
    program.waitForFinished(5000);
    outcome.torn = TornCommit(folder.path() / "messages.db-wal");
    const fs::path log = folder.path() / "loggfil.txt";
    const size_t logged_before = fs::exists(log) ? fs::file_size(log) : 0;

    const testing::ProgramRun resume = Run(program_file, {"--resume"});
    outcome.resume_status = resume.status;
    simulator.Stop();
    Check(ReadRecord(record), ReadFile(log), logged_before, outcome);
    if (!outcome.faults.empty()) {
      outcome.faults.push_back("the resume's standard error: " + resume.standard_error);
      if (const char* keep = std::getenv("TOLVANE_CRASH_KEEP")) {
        const fs::path copy = fs::path(keep) / folder.path().filename();
        fs::copy(folder.path(), copy, fs::copy_options::recursive);
        outcome.faults.push_back("the folder is kept as " + copy.string());
      }
    }
    return outcome;
  }

 private:
  testing::ProgramRun Run(const fs::path& program, const QStringList& arguments,
                          const std::string& input = {}) {
    return testing::RunProgram(program, arguments, environment_, elsewhere_.path(), 150000, input);
  }

  bool Reached(const KillPoint& point, const std::string& seen, const fs::path& record) const {
    switch (point.step) {
      case Step::kLogin:
        return seen.find(GetParam().login) != std::string::npos;
      case Step::kSubmit:
        return static_cast<int>(Count(seen, GetParam().submit)) >= point.count;
      case Step::kAnswer:
      case Step::kCommit:
        return static_cast<int>(Count(ReadFile(record), "\n")) >= point.count;
      case Step::kMemberDone:
        int done = 0;
        for (const auto& line : ReadRecord(record)) done += line.size() > 4 && line[3] == line[4];
        return done >= point.count;
    }
    return false;
  }

  // Also a log line for everyone, and the resume's exit status 1 exactly when
  // a line it wrote is not "Message sent.".
  static void Check(const std::vector<std::vector<std::string>>& record, const std::string& log,
                    size_t logged_before, Outcome& outcome) {
    struct Member {
      std::map<int, int> parts;
      std::set<std::string> references;
      std::map<int, std::string> texts;
      int lines = 0;
      std::string results;
      bool unknown = false;
    };
    std::map<std::string, Member> members;
    for (int member = 1; member <= kMembers; ++member) members[Number(member)];
    auto& faults = outcome.faults;
    for (const auto& line : record) {
      if (line.size() != 6 || !members.contains(line[1]) || line[4] != std::to_string(kParts)) {
        faults.push_back("a record line that is no part of the run: " + line[0]);
        continue;
      }
      Member& member = members[line[1]];
      member.parts[std::stoi(line[3])]++;
      member.references.insert(line[2]);
      member.texts[std::stoi(line[3])] = line[5];
    }
    bool resume_failed = false;
    size_t at = 0;
    for (const std::string& line : Split(log, '\n')) {
      const LogRecord entry = LogRecord::FromLine(line);
      const std::string number = entry.recipient.substr(entry.recipient.rfind(' ') + 1);
      if (members.contains(number)) {
        members[number].lines++;
        members[number].results += " \"" + entry.result + "\"";
        members[number].unknown |= entry.result.find("Unknown") != std::string::npos;
      }
      if (at >= logged_before && entry.result != "Message sent.") resume_failed = true;
      at += line.size() + 1;
    }
    for (const auto& [number, member] : members) {
      outcome.unknown += member.unknown;
      outcome.logged_twice += member.lines > 1;
      if (member.lines == 0) faults.push_back(number + " has no log line");
      for (int part = 1; part <= kParts; ++part) {
        const int times = member.parts.contains(part) ? member.parts.at(part) : 0;
        if (times > 1 || (times == 0 && !member.unknown)) {
          faults.push_back(number + " took part " + std::to_string(part) + " " +
                           std::to_string(times) + " times" + " (the log:" + member.results + ")");
        }
      }
      if (member.parts.size() == static_cast<size_t>(kParts) &&
          (member.references.size() != 1 || member.texts.at(1) + member.texts.at(2) != kText)) {
        faults.push_back(number + " took parts of different references or texts");
      }
    }
    if (outcome.resume_status != (resume_failed ? 1 : 0)) {
      faults.push_back("the resume exited " + std::to_string(outcome.resume_status) +
                       (resume_failed ? " though it logged a failure" : " though it logged none"));
    }
  }

  testing::TempDir book_;
  testing::TempDir elsewhere_;
  QProcessEnvironment environment_ = QProcessEnvironment::systemEnvironment();
};

TEST_P(CrashTest, AGroupRunKilledAtAnyStepAndResumedSendsEachPartAtMostOnce) {
  const char* memcheck = std::getenv("TOLVANE_MEMCHECK");
  if (memcheck != nullptr && std::string(memcheck) == "1") GTEST_SKIP() << "timed kills";
  int link_index = 0;
  while (std::string(kLinks[link_index].access) != GetParam().access) ++link_index;
  std::mt19937 random(Setting("TOLVANE_CRASH_SEED", 1) * 3 + link_index);
  auto draw = [&](int low, int high) { return std::uniform_int_distribution(low, high)(random); };
  for (int i = 0; i < Setting("TOLVANE_CRASH_POINTS", 5); ++i) {
    const Step step = static_cast<Step>(i % 5);
    const KillPoint point{step,
                          step == Step::kLogin        ? 1
                          : step == Step::kMemberDone ? draw(1, kMembers)
                                                      : draw(1, kMembers * kParts),
                          draw(0, step == Step::kCommit ? 5000 : 500)};
    const Outcome outcome = Crash(point);
    std::ostringstream line;
    line << "crash point: link=" << GetParam().access
         << " step=" << kStepNames[static_cast<int>(step)] << " count=" << point.count
         << " delay_us=" << point.delay_us << " resume=" << outcome.resume_status
         << " unknown=" << outcome.unknown << " logged_twice=" << outcome.logged_twice
         << " torn=" << outcome.torn
         << " store_call=" << (outcome.store_call.empty() ? "-" : outcome.store_call)
         << " result=" << (outcome.faults.empty() ? "pass" : "FAIL");
    std::cout << line.str() << std::endl;
    std::string faults;
    for (const std::string& fault : outcome.faults) faults += "\n  " + fault;
    EXPECT_TRUE(faults.empty()) << "at " << line.str() << faults;
  }
}

INSTANTIATE_TEST_SUITE_P(Simulators, CrashTest, ::testing::ValuesIn(kLinks),
                         [](const auto& info) { return std::string(info.param.access); });

}  // namespace
}  // namespace tolvane
