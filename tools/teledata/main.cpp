// Writes an empty phone-book database (Telelist and its name index) to the
// path given, replacing a file left there by an earlier build.
#include <filesystem>
#include <iostream>

#include "platform/sqlite_phone_book_store.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_teledata <path of teledata.mdb>\n";
    return 2;
  }
  try {
    std::filesystem::path path(argv[1]);
    // The database is a build product here, and a fresh build makes it anew.
    std::filesystem::remove(path);
    tolvane::SqlitePhoneBookStore::CreateEmptyDatabase(path.string());
  } catch (const std::exception& error) {
    std::cerr << "make_teledata: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
