#ifndef TOLVANE_TESTS_SUPPORT_QT_PROGRAM_RUN_H_
#define TOLVANE_TESTS_SUPPORT_QT_PROGRAM_RUN_H_

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace tolvane::testing {

// memcheck's exit status when it found an error.
constexpr int kMemcheckError = 99;
// memcheck slows start-up and shutdown most, not the waits in between.
constexpr int kMemcheckSlowdown = 4;

inline bool UnderMemcheck() {
  const char* memcheck = std::getenv("TOLVANE_MEMCHECK");
  return memcheck != nullptr && std::string(memcheck) == "1";
}

// How a run of the real program ended.
struct ProgramRun {
  // The exit status; -1 when it crashed or never ended.
  int status = -1;
  std::string standard_error;
  std::string standard_output;
};

// Runs `executable` until it ends by itself, at most `timeout_ms`. With
// TOLVANE_MEMCHECK=1 it runs under memcheck, whose errors fail the test.
inline ProgramRun RunProgram(const std::filesystem::path& executable, const QStringList& arguments,
                             const QProcessEnvironment& environment,
                             const std::filesystem::path& working_folder, int timeout_ms,
                             const std::string& standard_input = {}) {
  QProcess program;
  program.setProcessEnvironment(environment);
  program.setWorkingDirectory(QString::fromStdString(working_folder.string()));
  TempDir memcheck_dir;
  const std::string memcheck_log = (memcheck_dir.path() / "memcheck.log").string();
  if (UnderMemcheck()) {
    program.start(
        "valgrind",
        QStringList{"--tool=memcheck", "--error-exitcode=" + QString::number(kMemcheckError),
                    "--leak-check=full", "--show-leak-kinds=definite",
                    "--errors-for-leak-kinds=definite", "--num-callers=30",
                    "--suppressions=" TOLVANE_SOURCE_DIR "/tests/app/memcheck.supp",
                    "--log-file=" + QString::fromStdString(memcheck_log),
                    QString::fromStdString(executable.string())} +
            arguments);
    timeout_ms *= kMemcheckSlowdown;
  } else {
    program.start(QString::fromStdString(executable.string()), arguments);
  }
  EXPECT_TRUE(program.waitForStarted());
  program.write(standard_input.data(), static_cast<qint64>(standard_input.size()));
  program.closeWriteChannel();
  EXPECT_TRUE(program.waitForFinished(timeout_ms)) << "the program did not close by itself";
  ProgramRun run;
  run.standard_error = program.readAllStandardError().toStdString();
  run.standard_output = program.readAllStandardOutput().toStdString();
  if (program.exitStatus() == QProcess::NormalExit) run.status = program.exitCode();
  if (UnderMemcheck()) {
    EXPECT_NE(run.status, kMemcheckError) << memcheck_dir.ReadFile("memcheck.log");
  }
  return run;
}

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_QT_PROGRAM_RUN_H_
