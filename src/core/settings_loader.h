#ifndef TOLVANE_CORE_SETTINGS_LOADER_H_
#define TOLVANE_CORE_SETTINGS_LOADER_H_

#include <functional>
#include <optional>
#include <string>

#include "core/program_settings.h"
#include "core/settings_file.h"

namespace tolvane {

// Error numbers reported while loading.
inline constexpr int kErrorInvalidCall = 5;    // a stored password that cannot be unshifted
inline constexpr int kErrorOverflow = 6;       // a number that does not fit 16 bits
inline constexpr int kErrorTypeMismatch = 13;  // TCPProxy/TCPProxyPort not a whole number

using ReportLoadError = std::function<void(int error_number)>;

// The folder autosending watches when tolvmsg.ini names none: C:\outfiles on
// Windows, "outfiles" in the program folder elsewhere.
std::string DefaultAutoFil(const std::string& program_folder);

// Recomputes the flags and the mail time count from the stored texts. The
// current dial prefix is left alone: start-up sets it once.
void ComputeDerivedFields(ProgramSettings& settings);

// Reads Status, Xpos and Ypos. A failing item is reported and keeps its value.
void LoadWindowPosition(const SettingsFile& file, ProgramSettings& settings,
                        const ReportLoadError& report_error = nullptr);

// Reads every other key, in the file's order, then the gateway password from
// user.dat, then computes the derived fields. Times of day written "h:mm"
// are held as "hh:mm". A failing item is reported, keeps its previous value,
// and loading goes on.
void LoadSettings(const SettingsFile& file, ProgramSettings& settings,
                  const ReportLoadError& report_error);

// Writes every key the settings dialog edits, and the gateway password to
// user.dat (unless it is empty), all or nothing: first `store_secrets`
// (the pages' secrets in secrets.dat), then user.dat, then tolvmsg.ini in one
// replacement. When a step fails, the files written before it get their old
// content back. Returns the name of the file that could not be written; a
// gateway password with a character Windows-1252 lacks fails in user.dat.
std::optional<std::string> SaveSettings(const SettingsFile& file, const ProgramSettings& settings,
                                        const std::function<bool()>& store_secrets = nullptr);

// Writes Status, Xpos and Ypos as the program writes numbers (" 10", "-120").
void SaveWindowPosition(const SettingsFile& file, const ProgramSettings& settings);

}  // namespace tolvane

#endif  // TOLVANE_CORE_SETTINGS_LOADER_H_
