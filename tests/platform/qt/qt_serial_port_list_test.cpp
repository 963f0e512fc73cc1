#include "platform/qt/qt_serial_port_list.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tolvane {
namespace {

// Whatever ports this machine has, each is offered by a path that opens
// something there.
TEST(QtSerialPortListTest, EveryPortOfferedIsADeviceOfThisMachine) {
  for (const SerialPortInfo& port : QtSerialPortList().AvailablePorts()) {
    SCOPED_TRACE(port.path + " " + port.description);
    EXPECT_TRUE(std::filesystem::is_character_file(port.path));
  }
}

}  // namespace
}  // namespace tolvane
