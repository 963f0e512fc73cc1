#include "sim/sim_serial_port.h"

#include <utility>

namespace tolvane::sim {
namespace {

// About a millisecond a byte: 8N1 at 9600 bit/s.
constexpr int kChunk = 16;
constexpr SimEventLoop::Millis kChunkTime{16};

}  // namespace

SimSerialPort::SimSerialPort(SimEventLoop& loop, LineDevice& device) : loop_(loop), peer_(device) {
  peer_.SetToDte([this](const std::string& bytes) {
    if (!open_) return;
    input_ += bytes;
    Raise(CommEvent::kReceive);
  });
  peer_.SetOnCarrier([this](bool) {
    if (open_) Raise(CommEvent::kCarrierDetect);
  });
}

void SimSerialPort::SetRtsEnable(bool enable) {
  Operation();
  rts_ = enable;
}

void SimSerialPort::SetDtrEnable(bool enable) {
  Operation();
  dtr_ = enable;
  if (open_) peer_.SetDtr(enable);
}

bool SimSerialPort::Open() {
  Operation();
  if (open_) return true;
  if (!available_) return false;
  open_ = true;
  ++open_count_;
  peer_.SetDtr(dtr_);
  return true;
}

void SimSerialPort::Close() {
  Operation();
  CloseDevice();
}

void SimSerialPort::CloseDevice() {
  if (!open_) return;
  // Closing the device drops DTR, as the driver does.
  peer_.SetDtr(false);
  open_ = false;
  pending_.clear();
  input_.clear();
}

void SimSerialPort::Unplug() {
  available_ = false;
  if (!open_) return;
  CloseDevice();
  Raise(CommEvent::kCarrierDetect);
}

void SimSerialPort::Output(const std::string& data) {
  Operation();
  if (!open_) return;
  written_ += data;
  pending_ += data;
  ScheduleDrain();
}

std::string SimSerialPort::Input() {
  Operation();
  return std::exchange(input_, std::string());
}

void SimSerialPort::ClearInput() {
  Operation();
  input_.clear();
}

void SimSerialPort::ClearOutput() {
  Operation();
  pending_.clear();
}

void SimSerialPort::Operation() {
  if (operations_++ != unplug_after_) return;
  // After the operation has returned, as a driver reports the loss.
  loop_.After(SimEventLoop::Millis(0), [this] { Unplug(); });
}

void SimSerialPort::Raise(CommEvent event) {
  if (on_comm_) on_comm_(event);
}

void SimSerialPort::ScheduleDrain() {
  if (draining_ || pending_.empty()) return;
  draining_ = true;
  loop_.After(kChunkTime, [this] {
    draining_ = false;
    if (!open_) return;
    std::string chunk = pending_.substr(0, kChunk);
    pending_.erase(0, chunk.size());
    peer_.FromDte(chunk);
    ScheduleDrain();
  });
}

}  // namespace tolvane::sim
