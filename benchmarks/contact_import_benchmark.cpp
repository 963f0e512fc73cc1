// A contact file of 100 000 people brought into an empty phone book, the way
// the window and `--import` do it: read, planned with the guessed columns and
// applied in one transaction, every person in one of 200 groups (which keep
// their first 40). Once as a CSV file, once as vCard 3.0.
//
// The figures mean something only on an optimised build without the
// sanitizers (scripts/benchmark.sh).
#include <benchmark/benchmark.h>

#include <string>

#include "contacts/contact_import.h"
#include "support/test_phone_book.h"

namespace tolvane {
namespace {

constexpr int kPeople = 100000;
constexpr int kGroups = 200;

std::string Csv() {
  std::string bytes = "First Name,Last Name,Mobile Phone,Categories\r\n";
  for (int i = 0; i < kPeople; ++i) {
    bytes += "Förnamn" + std::to_string(i) + ",Efternamn,070-" + std::to_string(1000000 + i) +
             ",Grupp " + std::to_string(i % kGroups) + "\r\n";
  }
  return bytes;
}

std::string Vcards() {
  std::string bytes;
  for (int i = 0; i < kPeople; ++i) {
    bytes += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Efternamn;Förnamn" + std::to_string(i) +
             ";;;\r\nFN:Förnamn" + std::to_string(i) + " Efternamn\r\nTEL;type=HOME:08-" +
             std::to_string(i) + "\r\nTEL;type=CELL:070-" + std::to_string(1000000 + i) +
             "\r\nCATEGORIES:Grupp " + std::to_string(i % kGroups) + "\r\nEND:VCARD\r\n";
  }
  return bytes;
}

void Import(benchmark::State& state, ContactFormat format) {
  const std::string bytes = format == ContactFormat::kCsv ? Csv() : Vcards();
  for (auto _ : state) {
    state.PauseTiming();
    testing::TestPhoneBook book;
    state.ResumeTiming();
    const ContactFile file = ReadContactFile(bytes, format);
    ImportChoices choices;
    choices.columns = file.table.guessed;
    const ImportResult result = ApplyImport(book.store(), PlanImport(file, choices));
    if (result.added != kPeople) state.SkipWithError(result.Summary().c_str());
  }
}

void BM_Import100000CsvRows(benchmark::State& state) { Import(state, ContactFormat::kCsv); }
void BM_Import100000Vcards(benchmark::State& state) { Import(state, ContactFormat::kVcard); }
BENCHMARK(BM_Import100000CsvRows)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Import100000Vcards)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace tolvane

BENCHMARK_MAIN();
