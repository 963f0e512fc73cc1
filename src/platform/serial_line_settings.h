#ifndef TOLVANE_PLATFORM_SERIAL_LINE_SETTINGS_H_
#define TOLVANE_PLATFORM_SERIAL_LINE_SETTINGS_H_

#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

// Port numbers a serial port can be given.
inline constexpr int kFirstSerialPort = 1;
inline constexpr int kLastSerialPort = 255;

// The line settings of a serial port in the communications control's form
// "baud,parity,data bits,stop bits", for example "19200,N,8,1".
struct SerialLineSettings {
  int baud = 9600;
  char parity = 'N';            // N(one), E(ven), O(dd), M(ark) or S(pace)
  int data_bits = 8;            // 5 to 8
  std::string stop_bits = "1";  // "1", "1.5" or "2"
};

// nullopt unless `text` is four comma-separated fields a serial port can
// take: a whole baud rate above zero, one of the parity letters (either
// case), 5 to 8 data bits and 1, 1.5 or 2 stop bits. Blanks around a field
// are allowed.
std::optional<SerialLineSettings> ParseSerialLineSettings(std::string_view text);

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_SERIAL_LINE_SETTINGS_H_
