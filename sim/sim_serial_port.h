#ifndef TOLVANE_SIM_SIM_SERIAL_PORT_H_
#define TOLVANE_SIM_SIM_SERIAL_PORT_H_

#include <functional>
#include <string>

#include "platform/serial_port.h"
#include "sim/line_device.h"
#include "sim/sim_event_loop.h"

namespace tolvane::sim {

// A serial port on virtual time with a simulated device behind it. Written
// bytes leave at the line speed; received bytes raise the receive event as
// they arrive, so every delivery of the device is one read.
class SimSerialPort : public SerialPort {
 public:
  SimSerialPort(SimEventLoop& loop, LineDevice& device);

  void SetCommPort(int number) override { comm_port_ = number; }
  void SetDevice(const std::string& path) override { device_ = path; }
  void SetSettings(const std::string& settings) override { settings_ = settings; }
  void SetHandshaking(int mode) override { handshaking_ = mode; }
  void SetRtsEnable(bool enable) override;
  void SetDtrEnable(bool enable) override;
  bool DtrEnable() const override { return dtr_; }

  bool Open() override;
  void Close() override;
  bool IsOpen() const override { return open_; }

  void Output(const std::string& data) override;
  std::string Input() override;
  void ClearInput() override;
  void ClearOutput() override;
  int OutBufferCount() const override { return static_cast<int>(pending_.size()); }
  bool CdHolding() const override { return open_ && peer_.Carrier(); }

  void SetOnComm(std::function<void(CommEvent)> handler) override { on_comm_ = std::move(handler); }

  // Test controls: the device is missing (Open fails), or vanishes now.
  void SetAvailable(bool available) { available_ = available; }
  void Unplug();
  // The device vanishes right after the program's operation number
  // `operation` on the port (counted from 0 over every call), before the
  // program runs on: a USB modem pulled out at that moment.
  void UnplugAfter(int operation) { unplug_after_ = operation; }
  // The program's operations on the port so far.
  int Operations() const { return operations_; }

  // Every byte the program has put on the line, in order.
  const std::string& Written() const { return written_; }
  int CommPort() const { return comm_port_; }
  const std::string& Device() const { return device_; }
  const std::string& Settings() const { return settings_; }
  int Handshaking() const { return handshaking_; }
  bool RtsEnable() const { return rts_; }
  int OpenCount() const { return open_count_; }

 private:
  void Raise(CommEvent event);
  void CloseDevice();
  // Counts one operation of the program; the device vanishes after the chosen one.
  void Operation();
  // Sends the oldest pending bytes once the line has had time for them.
  void ScheduleDrain();

  SimEventLoop& loop_;
  LineDevice& peer_;
  std::function<void(CommEvent)> on_comm_;
  int comm_port_ = 1;
  std::string device_;
  std::string settings_ = "9600,N,8,1";
  int handshaking_ = 0;
  bool rts_ = false;
  bool dtr_ = true;
  bool available_ = true;
  bool open_ = false;
  bool draining_ = false;
  int open_count_ = 0;
  int operations_ = 0;
  int unplug_after_ = -1;
  std::string pending_;
  std::string input_;
  std::string written_;
};

}  // namespace tolvane::sim

#endif  // TOLVANE_SIM_SIM_SERIAL_PORT_H_
