#ifndef TOLVANE_CORE_PROGRAM_SETTINGS_H_
#define TOLVANE_CORE_PROGRAM_SETTINGS_H_

#include <array>
#include <cstdint>
#include <string>

#include "api/api_settings.h"
#include "core/transport_settings_set.h"
#include "inbox/inbox_settings.h"
#include "sms/message_settings.h"

namespace tolvane {

// Every setting of tolvmsg.ini (and the gateway password of user.dat), one
// field per key, named after the key, with the key's default.
struct ProgramSettings {
  std::string ProgramFolder;  // with trailing separator
  std::string HelpFile;       // the manual, installed with the program

  // [WinPosition]
  int16_t Status = 0;
  int16_t Xpos = 0;
  int16_t Ypos = 0;
  // [Modem]
  std::string Baud = "19200";
  std::string Port = "2";
  std::string Device;  // serial device path; empty: derived from Port
  std::string Parametrar = "N,8,1";
  std::string ModemInit = "ATZ";
  std::string UppTid = "40";
  std::string Felkorrigering = "1";
  std::string EjKvitto = "0";
  std::string Logg = "0";
  // [Adress]
  std::string Avs = "0000000000";
  // [OP]
  std::string SMSCnumber = "00491722278020";
  std::string Prefix1 = "ATDT";
  std::string Prefix2 = "ATDT0W";
  // [Auto]
  std::string AutoTid = "21:00";
  std::string AutoFil;  // DefaultAutoFil() when tolvmsg.ini has none
  std::string AutoFilSep = "/";
  std::string AutoDef = "0";
  std::string AutoTyp = "2";
  std::string AutoTabort = "0";
  std::string AutoStang = "0";
  std::string NrFranFil = "0";
  int16_t PollTid = 10;
  int16_t VTid = 5;
  // [RAS]
  std::string RasYN = "0";  // key "RasY/N": "1" means do not use dial-up
  std::string RasISP;
  std::string RasUserName;
  std::string RasPassWord;  // unshifted
  // [Mail]
  std::string MailServer;
  std::string MailUserName;
  std::string MailPassWord;             // unshifted
  std::array<std::string, 10> MailTid;  // MailTid1 to MailTid10
  std::string BaraLokalt = "0";
  // [Access]
  std::string AccessTyp = "Modem";
  // [TCP]
  std::string TCPAnvNamn;
  int16_t TCPProxy = 0;
  std::string TCPProxyAdress;
  std::string TCPProxyPort = "80";
  std::string TCPGateway = "http://localhost:8080";
  // [Message], read only: how many linked parts a message may have, how
  // long (minutes) the network keeps trying to deliver it, how fast parts
  // may go, and how many minutes past its time a delayed message cut short
  // still goes (0: always).
  int MaxParts = kDefaultMaxParts;
  int Validity = kDefaultValidityMinutes;
  // Parts one transport may send in any 60 seconds and in a local calendar
  // day; 0 for no limit.
  int PerMinute = 0;
  int PerDay = 0;
  int LateAfter = kDefaultLateAfterMinutes;
  // [Inbox]
  InboxSettings inbox;
  // [API]
  ApiSettings api;
  // user.dat
  std::string GatewayPassword;
  // The sections of the transports that have their own.
  TransportSettingsSet transports;

  // Derived fields, recomputed by ComputeDerivedFields().
  bool FelkorrigeringOn = true;
  bool EjKvittoOn = false;
  bool LoggOn = false;
  bool NrFranFilOn = false;
  bool RasYNOn = false;
  bool BaraLokaltOn = false;
  int16_t MailTimeCount = 0;
  // Set at start-up only; the main window's prefix choice may switch it.
  std::string CurrentPrefix = "ATDT";

  bool operator==(const ProgramSettings&) const = default;
};

}  // namespace tolvane

#endif  // TOLVANE_CORE_PROGRAM_SETTINGS_H_
