// Orders as another program may write them: the parser takes any text with
// any of the separators the settings offer, and its fields come from the
// order in its own order.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <string>

#include "bulk/command_line_sending.h"
#include "fuzz_check.h"

int tolvane::FuzzOne(const uint8_t* data, size_t size) {
  static constexpr std::array<const char*, 5> kSeparators = {"/", "#", "%", "&", "¤"};
  FuzzedDataProvider input(data, size);
  const std::string separator = input.PickValueInArray(kSeparators);
  const std::string text = input.ConsumeRemainingBytesAsString();
  const std::string doubled = separator + separator;

  const tolvane::CommandLineOrder order = tolvane::ParseCommandLineOrder(text, separator);
  FUZZ_CHECK(order.doubled_separators >= 0 &&
             static_cast<size_t>(order.doubled_separators) <= text.size());
  FUZZ_CHECK(order.field1.find(doubled) == std::string::npos);
  FUZZ_CHECK(order.field2.find(doubled) == std::string::npos);
  FUZZ_CHECK(text.compare(0, order.field1.size(), order.field1) == 0);
  FUZZ_CHECK(order.write_receipt_file == (order.doubled_separators > 2));
  if (order.write_receipt_file) {
    FUZZ_CHECK(!order.receipt_file_name.empty());
    FUZZ_CHECK(order.receipt_file_name.find_first_of("\r\n") == std::string::npos);
    FUZZ_CHECK(order.message.find(doubled) == std::string::npos);
  }
  FUZZ_CHECK(order.field1.size() + order.field2.size() + order.message.size() <= text.size());
  return 0;
}
