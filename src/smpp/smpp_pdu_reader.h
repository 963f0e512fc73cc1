#ifndef TOLVANE_SMPP_SMPP_PDU_READER_H_
#define TOLVANE_SMPP_SMPP_PDU_READER_H_

#include <string>
#include <string_view>
#include <vector>

#include "smpp/smpp_pdu.h"

namespace tolvane {

// Cuts the bytes a provider sends, in whatever pieces they arrive, into
// PDUs. A length field under 16 or over 64 KiB means the stream can no
// longer be followed: the reader stops for good and says why, and holds
// no more than one PDU's worth of bytes at any time.
class SmppPduReader {
 public:
  // The PDUs that `bytes` completed, in order.
  std::vector<SmppPdu> Feed(std::string_view bytes);
  // Empty while the stream can be followed.
  const std::string& Error() const { return error_; }

 private:
  std::string pending_;
  std::string error_;
};

}  // namespace tolvane

#endif  // TOLVANE_SMPP_SMPP_PDU_READER_H_
