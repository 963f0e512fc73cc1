// Writes an empty phone-book database (Telelist and its name index) to the
// path given, replacing a file left there by an earlier build. People given
// as NAME=NUMBER after the path are entered, for demos and tests; --people N
// adds N numbered people at once, for trying a big phone book.
#include <filesystem>
#include <iostream>
#include <string>

#include "platform/sqlite_phone_book_store.h"
#include "sim/numbered_people.h"
#include "text/utf8.h"

namespace {

constexpr char kUsage[] =
    "usage: make_teledata [--people N] [--] <path of teledata.mdb> [NAME=NUMBER ...]\n"
    "Writes an empty phone book to the path (replacing a file there) and enters\n"
    "the people given, then N numbered people (--people). --help shows this text.\n";

}  // namespace

int main(int argc, char** argv) {
  // Options come first; "--" ends them, so a path may start with "-".
  int first = 1;
  int numbered_people = 0;
  for (; first < argc && argv[first][0] == '-'; ++first) {
    const std::string option = argv[first];
    if (option == "--") {
      ++first;
      break;
    }
    if (option == "--help" || option == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (option == "--people") {
      if (first + 1 == argc) {
        std::cerr << "make_teledata: --people needs a number\n" << kUsage;
        return 2;
      }
      const std::string count = argv[++first];
      if (count.empty() || count.find_first_not_of("0123456789") != std::string::npos ||
          count.size() > 7) {
        std::cerr << "make_teledata: --people takes a number up to 9999999, got " << count << "\n";
        return 2;
      }
      numbered_people = std::stoi(count);
      continue;
    }
    std::cerr << "make_teledata: unknown option " << option << "\n" << kUsage;
    return 2;
  }
  if (first >= argc) {
    std::cerr << kUsage;
    return 2;
  }
  try {
    std::filesystem::path path(argv[first]);
    // The database is a build product here, and a fresh build makes it anew.
    std::filesystem::remove(path);
    tolvane::SqlitePhoneBookStore::CreateEmptyDatabase(path.string());
    if (first + 1 == argc) {
      if (numbered_people > 0) tolvane::sim::AddNumberedPeople(path.string(), numbered_people);
      return 0;
    }
    tolvane::SqlitePhoneBookStore store;
    store.Open(path.string());
    auto cursor = store.OpenCursor(tolvane::kPhoneBookTable);
    for (int i = first + 1; i < argc; ++i) {
      std::string person = tolvane::SanitiseUtf8(argv[i]);
      size_t equals = person.find('=');
      if (equals == std::string::npos) {
        std::cerr << "make_teledata: expected NAME=NUMBER, got " << argv[i] << "\n";
        return 2;
      }
      cursor->AddNew();
      cursor->SetField(tolvane::kFieldNamn, person.substr(0, equals));
      cursor->SetField(tolvane::kFieldTelenummer, person.substr(equals + 1));
      cursor->SetField(tolvane::kFieldOperator, "1");
      cursor->Update();
    }
    cursor->Close();
    if (numbered_people > 0) tolvane::sim::AddNumberedPeople(path.string(), numbered_people);
  } catch (const std::exception& error) {
    std::cerr << "make_teledata: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
