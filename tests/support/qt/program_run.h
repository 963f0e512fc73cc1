#ifndef TOLVANE_TESTS_SUPPORT_QT_PROGRAM_RUN_H_
#define TOLVANE_TESTS_SUPPORT_QT_PROGRAM_RUN_H_

#include <QProcessEnvironment>
#include <QStringList>
#include <filesystem>
#include <string>

namespace tolvane::testing {

// How a run of the real program ended.
struct ProgramRun {
  // The exit status; -1 when it crashed or never ended.
  int status = -1;
  std::string standard_error;
  std::string standard_output;
};

// Runs `executable` in `working_folder` until it ends by itself, for at most
// `timeout_ms`, with `standard_input` on its standard input. With TOLVANE_MEMCHECK=1 (a build
// without sanitizers) the run goes through Valgrind's memcheck, given far more time, and an invalid
// access or a definitely leaked block fails the calling test with memcheck's report.
ProgramRun RunProgram(const std::filesystem::path& executable, const QStringList& arguments,
                      const QProcessEnvironment& environment,
                      const std::filesystem::path& working_folder, int timeout_ms,
                      const std::string& standard_input = {});

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_QT_PROGRAM_RUN_H_
