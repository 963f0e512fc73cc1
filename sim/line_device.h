#ifndef TOLVANE_SIM_LINE_DEVICE_H_
#define TOLVANE_SIM_LINE_DEVICE_H_

#include <functional>
#include <string>

namespace tolvane::sim {

// What sits at the far end of a simulated serial line: the dial-up modem or
// the GSM modem. The line carries bytes both ways, DTR towards the device and
// carrier detect back.
class LineDevice {
 public:
  virtual ~LineDevice() = default;

  // Bytes towards the computer, and the carrier-detect line.
  virtual void SetToDte(std::function<void(const std::string&)> to_dte) = 0;
  virtual void SetOnCarrier(std::function<void(bool)> on_carrier) = 0;

  // Bytes from the computer.
  virtual void FromDte(const std::string& bytes) = 0;
  virtual void SetDtr(bool on) = 0;
  virtual bool Carrier() const = 0;
};

}  // namespace tolvane::sim

#endif  // TOLVANE_SIM_LINE_DEVICE_H_
