#ifndef TOLVANE_CORE_PROGRAM_SETTINGS_H_
#define TOLVANE_CORE_PROGRAM_SETTINGS_H_

#include <array>
#include <cstdint>
#include <string>

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
  // [GSM]: a GSM modem or phone with a SIM
  std::string GsmDevice;           // key "Device": serial device path
  std::string GsmBaud = "115200";  // key "Baud"
  std::string GsmSmsc;             // key "Smsc": empty uses the SIM's service centre
  std::string GsmInit;             // key "Init": an extra AT command after the set-up
  // [SMPP]: an SMPP 3.4 account at a provider, numbers as text like the
  // other sections; the password is the "smpp" secret.
  std::string SmppHost;                    // key "Host"
  std::string SmppPort = "2775";           // key "Port"
  std::string SmppTls = "0";               // key "Tls": "1" for TLS from the first byte
  std::string SmppSystemId;                // key "SystemId"
  std::string SmppSystemType;              // key "SystemType"
  std::string SmppWindow = "10";           // key "Window": submits the provider allows unanswered
  std::string SmppEnquireLink = "30";      // key "EnquireLink": seconds between link checks
  std::string SmppDefaultAlphabet = "0";   // key "DefaultAlphabet": data coding of GSM text
  std::string SmppResendUnanswered = "0";  // key "ResendUnanswered"
  // [EMI]: UCP straight over TCP/IP to an SMS centre; the password is the
  // "emi" secret.
  std::string EmiHost;                    // key "Host"
  std::string EmiPort = "5000";           // key "Port"
  std::string EmiAltHost;                 // key "AltHost": tried when Host cannot be reached
  std::string EmiAltPort;                 // key "AltPort": empty takes Port
  std::string EmiUser;                    // key "User": the login's OAdC
  std::string EmiWindow = "10";           // key "Window": submits outstanding, 1 to 99
  std::string EmiKeepalive = "50";        // key "Keepalive": quiet seconds before an op 31
  std::string EmiOperation = "51";        // key "Operation": 51, or 30 for the dial-up form
  std::string EmiResendUnanswered = "0";  // key "ResendUnanswered"
  std::string EmiAlphabet = "GSM";        // key "Alphabet": GSM, or IRA (ASCII) for AMsg
  // [Message], read only: how many linked parts a message may have, and how
  // long (minutes) the network keeps trying to deliver it.
  int MaxParts = kDefaultMaxParts;
  int Validity = kDefaultValidityMinutes;
  // user.dat
  std::string GatewayPassword;

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
