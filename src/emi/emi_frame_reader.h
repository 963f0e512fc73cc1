#ifndef TOLVANE_EMI_EMI_FRAME_READER_H_
#define TOLVANE_EMI_EMI_FRAME_READER_H_

#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// Cuts what the SMS centre sends, in pieces of any size, into frame texts
// (between STX and ETX). Bytes outside a frame are dropped; an STX inside
// one starts the frame afresh, so a frame cut short costs only itself; a
// frame longer than kLongestFrame is dropped up to the next STX, so memory
// stays bounded whatever arrives. The texts are not checked here.
class EmiFrameReader {
 public:
  // Longer than any frame the centre has reason to send (a notification
  // with a whole message in it is about 500 characters).
  static constexpr size_t kLongestFrame = 1000;

  std::vector<std::string> Feed(std::string_view bytes);

 private:
  bool in_frame_ = false;
  // Over kLongestFrame: skipping to the next STX.
  bool skipping_ = false;
  std::string frame_;
};

}  // namespace tolvane

#endif  // TOLVANE_EMI_EMI_FRAME_READER_H_
