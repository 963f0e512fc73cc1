#ifndef TOLVANE_CONTACTS_CONTACTS_COMMAND_H_
#define TOLVANE_CONTACTS_CONTACTS_COMMAND_H_

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// `tolvane --import FILE [--group NAME]` and `tolvane --export FILE [--group
// NAME]` work on the phone book without a window. The format is the file's
// extension (.csv or .vcf). An import skips people whose name the phone book
// holds; --group puts everyone imported into that group, or exports only its
// members.
inline constexpr std::string_view kImportOption = "--import";
inline constexpr std::string_view kExportOption = "--export";
inline constexpr std::string_view kContactsGroupOption = "--group";

// Runs the command with all the arguments (the option first) on the phone
// book file at `phone_book_path`: the result text and the details go to
// `out`, errors to `error`. Returns the exit status: 0 done, 1 when the file
// or the phone book could not be read or written, 2 for a wrong command line.
int RunContactsCommand(const std::vector<std::string>& arguments,
                       const std::string& phone_book_path, std::ostream& out, std::ostream& error);

}  // namespace tolvane

#endif  // TOLVANE_CONTACTS_CONTACTS_COMMAND_H_
