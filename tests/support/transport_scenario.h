#ifndef TOLVANE_TESTS_SUPPORT_TRANSPORT_SCENARIO_H_
#define TOLVANE_TESTS_SUPPORT_TRANSPORT_SCENARIO_H_

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "core/listen_keeper.h"
#include "core/secret_store.h"
#include "emi/emi_settings.h"
#include "gsm/gsm_settings.h"
#include "sim/sim_emi_centre.h"
#include "sim/sim_gsm_modem.h"
#include "sim/sim_serial_port.h"
#include "sim/sim_smpp_provider.h"
#include "sim/sim_tcp_connection.h"
#include "smpp/smpp_settings.h"
#include "support/faulty_sqlite_vfs.h"
#include "support/scenarios.h"

namespace tolvane::testing {

// A simulator whose side of the connection the test can end; it notes when
// each connection was asked for.
class FarEnd : public sim::TcpPeer {
 public:
  FarEnd(sim::TcpPeer& peer, sim::SimEventLoop& loop) : peer_(peer), loop_(loop) {}
  void SetToClient(std::function<void(const std::string&)> to) override {
    peer_.SetToClient(std::move(to));
  }
  void SetDropClient(std::function<void()> drop) override {
    drop_ = drop;
    peer_.SetDropClient(std::move(drop));
  }
  bool Accept() override {
    asked.push_back(loop_.Now());
    return peer_.Accept();
  }
  void FromClient(const std::string& bytes) override { peer_.FromClient(bytes); }
  void ClientClosed() override { peer_.ClientClosed(); }
  void Drop() {
    drop_();
    peer_.ClientClosed();
  }
  std::vector<TimePoint> asked;

 private:
  sim::TcpPeer& peer_;
  sim::SimEventLoop& loop_;
  std::function<void()> drop_;
};

// The main window over the simulated GSM modem, SMPP provider or UCP/EMI
// centre (`access`), its store on a file layer that can fill up, and a
// keeper that holds the transport's line once the test listens.
class TransportScenario : public WindowScenario {
 protected:
  explicit TransportScenario(const std::string& access) {
    settings.AccessTyp = access;
    settings.Avs = "Tolvane";
    settings.transports.Get<GsmSettings>().Device = "/dev/ttyUSB2";
    settings.transports.Get<SmppSettings>().Host = "smpp.example.net";
    settings.transports.Get<SmppSettings>().SystemId = "tolvane";
    settings.transports.Get<EmiSettings>().Host = "smsc.example.net";
    settings.transports.Get<EmiSettings>().User = "tolvane";
    SecretStore secrets(settings.ProgramFolder);
    EXPECT_TRUE(secrets.WriteSecret(kSmppSecret, "secret"));
    EXPECT_TRUE(secrets.WriteSecret(kEmiSecret, "secret"));
    gsm_port = &port_;
    smpp_connection = &smpp_tcp_;
    emi_connection = &emi_tcp_;
    modem_.SetClock([this] { return loop.Elapsed().count(); });
  }
  ~TransportScenario() override { Stop(); }

  bool Gsm() const { return settings.AccessTyp == "GSM"; }
  bool Smpp() const { return settings.AccessTyp == "SMPP"; }
  // The program starts with "Hej" typed for +46 70-123 45 67, and listens.
  void Start() {
    Open();
    Listen();
  }
  void Open() {
    WindowScenario::Open(serial, http, &store_);
    window->ConfigureTransports();
    window->OnTemporaryNumberToggled(true);
    window->OnNumberEdited("+46 70-123 45 67");
    TypeMessage(*window, "Hej");
  }
  void Listen() {
    start_ = loop.Now();
    keeper_.Keep(&window->ActiveTransport());
  }
  // The program ends, with its line closed.
  void Stop() {
    keeper_.Keep(nullptr);
    receiving.reset();
    window.reset();
  }
  bool Listening() { return window->ActiveTransport().Listening(); }
  // The commands the modem got that start with `command`.
  size_t Count(const std::string& command) const {
    return std::ranges::count_if(modem_.Commands(),
                                 [&](const std::string& c) { return c.starts_with(command); });
  }

  const std::string path_ = book.Folder() + "messages.db";
  FaultySqliteVfs vfs_{path_};
  MessageStore store_{path_};
  sim::SimGsmModem modem_{Schedule(loop)};
  sim::SimSerialPort port_{loop, modem_};
  sim::SimSmppProvider provider_{Schedule(loop)};
  sim::SimEmiCentre centre_{Schedule(loop)};
  FarEnd smpp_far_{provider_, loop};
  FarEnd emi_far_{centre_, loop};
  sim::SimTcpConnection smpp_tcp_{loop, smpp_far_};
  sim::SimTcpConnection emi_tcp_{loop, emi_far_};
  std::vector<std::string> shown_;
  ListenKeeper keeper_{loop, [this](const std::string& text) { shown_.push_back(text); },
                       [this] { return window->State().sending; }};
  TimePoint start_;
};

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_TRANSPORT_SCENARIO_H_
