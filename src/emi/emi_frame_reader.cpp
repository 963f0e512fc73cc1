#include "emi/emi_frame_reader.h"

namespace tolvane {
namespace {

constexpr char kStx = '\x02';
constexpr char kEtx = '\x03';

}  // namespace

std::vector<std::string> EmiFrameReader::Feed(std::string_view bytes) {
  std::vector<std::string> frames;
  for (char c : bytes) {
    if (c == kStx) {
      in_frame_ = true;
      skipping_ = false;
      frame_.clear();
    } else if (!in_frame_ || skipping_) {
      continue;
    } else if (c == kEtx) {
      frames.push_back(std::move(frame_));
      frame_.clear();
      in_frame_ = false;
    } else if (frame_.size() == kLongestFrame) {
      skipping_ = true;
      frame_.clear();
    } else {
      frame_ += c;
    }
  }
  return frames;
}

}  // namespace tolvane
