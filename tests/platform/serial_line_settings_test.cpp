#include "platform/serial_line_settings.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(SerialLineSettingsTest, ReadsWhatASerialPortTakesAndNothingElse) {
  std::optional<SerialLineSettings> line = ParseSerialLineSettings(" 9600 , e , 7 , 1.5 ");
  ASSERT_TRUE(line.has_value());
  EXPECT_EQ(line->baud, 9600);
  EXPECT_EQ(line->parity, 'E');
  EXPECT_EQ(line->data_bits, 7);
  EXPECT_EQ(line->stop_bits, "1.5");

  for (const char* text :
       {"", "19200", "19200,N,8", "19200,N,8,1,1", "fast,N,8,1", "0,N,8,1", "-9600,N,8,1",
        "19200.5,N,8,1", "99999999999,N,8,1", "19200,X,8,1", "19200,,8,1", "19200,NO,8,1",
        "19200,N,4,1", "19200,N,9,1", "19200,N,8,3", "19200,N,8,"}) {
    EXPECT_FALSE(ParseSerialLineSettings(text).has_value()) << text;
  }
}

}  // namespace
}  // namespace tolvane
