#ifndef TOLVANE_SMPP_SMPP_BODY_READER_H_
#define TOLVANE_SMPP_SMPP_BODY_READER_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

// Reads the fields of a PDU body in order. A field that runs past the end,
// or a C-Octet String longer than its field allows, makes this and every
// later read fail (nullopt), so a caller checks once at the end.
class SmppBodyReader {
 public:
  explicit SmppBodyReader(std::string_view body) : body_(body) {}

  std::optional<uint32_t> Integer(int octets);
  // `max_length` counts the closing zero, as SMPP 3.4 sizes its fields.
  std::optional<std::string> CString(size_t max_length);
  std::optional<std::string> Octets(size_t count);
  bool AtEnd() const { return failed_ || at_ == body_.size(); }
  bool Failed() const { return failed_; }

 private:
  std::string_view body_;
  size_t at_ = 0;
  bool failed_ = false;
};

}  // namespace tolvane

#endif  // TOLVANE_SMPP_SMPP_BODY_READER_H_
