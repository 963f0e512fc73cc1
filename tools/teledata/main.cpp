// Writes an empty phone-book database (Telelist and its name index) to the
// path given, replacing a file left there by an earlier build. People given
// as NAME=NUMBER after the path are entered, for demos and tests; "--people N"
// adds N numbered people at once, for trying a big phone book.
#include <filesystem>
#include <iostream>
#include <string>

#include "platform/sqlite_phone_book_store.h"
#include "platform/text_codec.h"
#include "sim/numbered_people.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: make_teledata <path of teledata.mdb> [--people N] [NAME=NUMBER ...]\n";
    return 2;
  }
  try {
    std::filesystem::path path(argv[1]);
    // The database is a build product here, and a fresh build makes it anew.
    std::filesystem::remove(path);
    tolvane::SqlitePhoneBookStore::CreateEmptyDatabase(path.string());
    if (argc == 2) return 0;
    tolvane::SqlitePhoneBookStore store;
    store.Open(path.string());
    auto cursor = store.OpenCursor(tolvane::kPhoneBookTable);
    for (int i = 2; i < argc; ++i) {
      if (std::string(argv[i]) == "--people" && i + 1 < argc) {
        tolvane::sim::AddNumberedPeople(path.string(), std::stoi(argv[++i]));
        continue;
      }
      std::string person = tolvane::Utf8ToCp1252(argv[i]);
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
  } catch (const std::exception& error) {
    std::cerr << "make_teledata: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
