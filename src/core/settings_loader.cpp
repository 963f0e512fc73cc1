#include "core/settings_loader.h"

#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/gateway_password_file.h"
#include "core/secret_store.h"
#include "core/settings_values.h"
#include "core/time_of_day.h"
#include "platform/atomic_file.h"
#include "platform/local_file_system.h"
#include "platform/text_codec.h"
#include "sms/message_settings.h"
#include "text/whole_number.h"

namespace tolvane {
namespace {

// Reads keys into one record, taking each default from a fresh record.
class Reader {
 public:
  Reader(const SettingsFile& file, ProgramSettings& settings, const ReportLoadError& report_error)
      : file_(file), settings_(settings), report_error_(report_error) {}

  void Text(const char* section, const char* key, std::string ProgramSettings::*field) {
    settings_.*field = file_.ReadSetting(section, key, kDefaults.*field);
  }

  void Number(const char* section, const char* key, int16_t ProgramSettings::*field) {
    const std::string text = file_.ReadSetting(section, key, std::to_string(kDefaults.*field));
    if (const auto number = ParseLeadingNumber(text)) {
      settings_.*field = *number;
    } else {
      Report(kErrorOverflow);
    }
  }

  void Password(const char* section, const char* key, std::string ProgramSettings::*field) {
    if (const auto password = UnshiftPassword(file_.ReadBytes(section, key))) {
      settings_.*field = Cp1252WithReferencesToUtf8(*password);
    } else {
      Report(kErrorInvalidCall);
    }
  }

  // TCPProxy must be a whole number and, when it asks for a proxy, the port
  // must be one too; otherwise no proxy is used.
  void Proxy() {
    const auto proxy = ParseWholeNumber(file_.ReadSetting("TCP", "TCPProxy", "0"));
    const bool proxy_ok = proxy && *proxy >= std::numeric_limits<int16_t>::min() &&
                          *proxy <= std::numeric_limits<int16_t>::max();
    settings_.TCPProxy = proxy_ok ? static_cast<int16_t>(*proxy) : 0;
    if (!proxy_ok) Report(kErrorTypeMismatch);
    Text("TCP", "TCPProxyAdress", &ProgramSettings::TCPProxyAdress);
    Text("TCP", "TCPProxyPort", &ProgramSettings::TCPProxyPort);
    if (settings_.TCPProxy == 1) {
      if (!ParseProxyPort(settings_.TCPProxyPort)) {
        settings_.TCPProxy = 0;
        Report(kErrorTypeMismatch);
      }
    }
  }

  void Report(int error_number) const {
    if (report_error_) report_error_(error_number);
  }

 private:
  static inline const ProgramSettings kDefaults{};

  const SettingsFile& file_;
  ProgramSettings& settings_;
  const ReportLoadError& report_error_;
};

// A file's content before a save, put back when a later step of the save fails.
class FileBackup {
 public:
  explicit FileBackup(std::string path)
      : path_(std::move(path)), existed_(FileExists(path_)), content_(Read()) {}

  void Restore() const {
    if (Read() == content_) return;
    if (content_) {
      WriteFileAtomically(path_, *content_);
    } else if (!existed_) {
      ProgramFileSystem().Remove(path_);
    }
  }

 private:
  std::optional<std::string> Read() const { return ProgramFileSystem().Read(path_); }

  std::string path_;
  bool existed_;
  std::optional<std::string> content_;
};

}  // namespace

std::string DefaultAutoFil([[maybe_unused]] const std::string& program_folder) {
#ifdef _WIN32
  return "C:\\outfiles";
#else
  return program_folder + "outfiles";
#endif
}

void ComputeDerivedFields(ProgramSettings& settings) {
  auto on = [](const std::string& flag) { return flag == "1"; };
  settings.FelkorrigeringOn = on(settings.Felkorrigering);
  settings.EjKvittoOn = on(settings.EjKvitto);
  settings.LoggOn = on(settings.Logg);
  settings.NrFranFilOn = on(settings.NrFranFil);
  settings.RasYNOn = on(settings.RasYN);
  settings.BaraLokaltOn = on(settings.BaraLokalt);
  settings.MailTimeCount = 0;
  for (const std::string& time : settings.MailTid) {
    if (!time.empty()) ++settings.MailTimeCount;
  }
}

void LoadWindowPosition(const SettingsFile& file, ProgramSettings& settings,
                        const ReportLoadError& report_error) {
  Reader reader(file, settings, report_error);
  reader.Number("WinPosition", "Status", &ProgramSettings::Status);
  reader.Number("WinPosition", "Xpos", &ProgramSettings::Xpos);
  reader.Number("WinPosition", "Ypos", &ProgramSettings::Ypos);
}

void LoadSettings(const SettingsFile& file, ProgramSettings& settings,
                  const ReportLoadError& report_error) {
  using S = ProgramSettings;
  Reader reader(file, settings, report_error);
  reader.Text("Modem", "Baud", &S::Baud);
  reader.Text("Modem", "Port", &S::Port);
  reader.Text("Modem", "Device", &S::Device);
  reader.Text("Modem", "Parametrar", &S::Parametrar);
  reader.Text("Modem", "ModemInit", &S::ModemInit);
  reader.Text("Modem", "UppTid", &S::UppTid);
  reader.Text("Modem", "Felkorrigering", &S::Felkorrigering);
  reader.Text("Modem", "EjKvitto", &S::EjKvitto);
  reader.Text("Modem", "Logg", &S::Logg);
  reader.Text("Adress", "Avs", &S::Avs);
  reader.Text("OP", "SMSCnumber", &S::SMSCnumber);
  reader.Text("OP", "Prefix1", &S::Prefix1);
  reader.Text("OP", "Prefix2", &S::Prefix2);
  reader.Text("Auto", "AutoTid", &S::AutoTid);
  settings.AutoTid = NormalizedTimeOfDay(settings.AutoTid);
  settings.AutoFil = file.ReadSetting("Auto", "AutoFil", DefaultAutoFil(file.ProgramFolder()));
  reader.Text("Auto", "AutoFilSep", &S::AutoFilSep);
  reader.Text("Auto", "AutoDef", &S::AutoDef);
  reader.Text("Auto", "AutoTyp", &S::AutoTyp);
  reader.Text("Auto", "AutoTabort", &S::AutoTabort);
  reader.Text("Auto", "AutoStang", &S::AutoStang);
  reader.Text("Auto", "NrFranFil", &S::NrFranFil);
  reader.Text("RAS", "RasY/N", &S::RasYN);
  reader.Text("RAS", "RasISP", &S::RasISP);
  reader.Text("RAS", "RasUserName", &S::RasUserName);
  reader.Password("RAS", "RasPassWord", &S::RasPassWord);
  reader.Text("Mail", "MailServer", &S::MailServer);
  reader.Text("Mail", "MailUserName", &S::MailUserName);
  reader.Password("Mail", "MailPassWord", &S::MailPassWord);
  for (size_t i = 0; i < settings.MailTid.size(); ++i) {
    settings.MailTid[i] =
        NormalizedTimeOfDay(file.ReadSetting("Mail", "MailTid" + std::to_string(i + 1), ""));
  }
  reader.Text("Mail", "BaraLokalt", &S::BaraLokalt);
  reader.Number("Auto", "PollTid", &S::PollTid);
  reader.Number("Auto", "VTid", &S::VTid);
  reader.Text("Access", "AccessTyp", &S::AccessTyp);
  reader.Text("TCP", "TCPAnvNamn", &S::TCPAnvNamn);
  reader.Text("TCP", "TCPGateway", &S::TCPGateway);
  for (const auto& section : settings.transports.Sections()) {
    const std::unique_ptr<TransportSettings> defaults = section->Defaults();
    for (std::string_view key : section->Keys()) {
      *section->Value(key) = file.ReadSetting(std::string(section->Section()), std::string(key),
                                              *defaults->Value(key));
    }
  }
  settings.MaxParts = MaxPartsSetting(file.ReadSetting(kMessageSection, kMaxPartsKey, ""));
  settings.Validity = ValiditySetting(file.ReadSetting(kMessageSection, kValidityKey, ""));
  settings.PerMinute = RateSetting(file.ReadSetting(kMessageSection, kPerMinuteKey, ""));
  settings.PerDay = RateSetting(file.ReadSetting(kMessageSection, kPerDayKey, ""));
  settings.LateAfter = LateAfterSetting(file.ReadSetting(kMessageSection, kLateAfterKey, ""));
  InboxSettings& inbox = settings.inbox;
  inbox.Listen = ListenSetting(file.ReadSetting(kInboxSection, kListenKey, ""));
  inbox.PartsWait = PartsWaitSetting(file.ReadSetting(kInboxSection, kPartsWaitKey, ""));
  inbox.StopWords = file.ReadSetting(kInboxSection, kStopWordsKey, kDefaultStopWords);
  inbox.StartWords = file.ReadSetting(kInboxSection, kStartWordsKey, kDefaultStartWords);
  for (const char* key : kApiKeys) {
    ReadApiSetting(settings.api, key,
                   file.ReadSetting(kApiSection, key, ApiSettingText(ApiSettings(), key)));
  }
  settings.GatewayPassword = ReadGatewayPassword(file.ProgramFolder());
  reader.Proxy();
  ComputeDerivedFields(settings);
}

std::optional<std::string> SaveSettings(const SettingsFile& file, const ProgramSettings& s,
                                        const std::function<bool()>& store_secrets) {
  std::vector<IniFile::Entry> entries;
  auto write = [&](const char* section, const std::string& key, const std::string& value) {
    entries.push_back({section, key, SettingsFile::StoredText(value)});
  };
  auto write_shifted = [&](const char* section, const char* key, const std::string& password) {
    entries.push_back({section, key, StoredPassword(password)});
  };
  write("Access", "AccessTyp", s.AccessTyp);
  write("TCP", "TCPAnvNamn", s.TCPAnvNamn);
  write("TCP", "TCPProxy", std::to_string(s.TCPProxy));
  write("TCP", "TCPProxyAdress", s.TCPProxyAdress);
  write("TCP", "TCPProxyPort", s.TCPProxyPort);
  write("TCP", "TCPGateway", s.TCPGateway);
  for (const auto& section : s.transports.Sections()) {
    for (std::string_view key : section->Keys()) {
      entries.push_back({std::string(section->Section()), std::string(key),
                         SettingsFile::StoredText(*section->Value(key))});
    }
  }
  write("Adress", "Avs", s.Avs);
  write("Modem", "Baud", s.Baud);
  write("Modem", "Port", s.Port);
  write("Modem", "Device", s.Device);
  write("Modem", "Parametrar", s.Parametrar);
  write("Modem", "ModemInit", s.ModemInit);
  write("Modem", "UppTid", s.UppTid);
  write("Modem", "Felkorrigering", s.Felkorrigering);
  write("Modem", "Logg", s.Logg);
  write("Modem", "EjKvitto", s.EjKvitto);
  write("OP", "SMSCnumber", s.SMSCnumber);
  write("OP", "Prefix1", s.Prefix1);
  write("OP", "Prefix2", s.Prefix2);
  write("Auto", "AutoTid", s.AutoTid);
  write("Auto", "AutoFil", s.AutoFil);
  write("Auto", "AutoFilSep", s.AutoFilSep);
  write("Auto", "AutoDef", s.AutoDef);
  write("Auto", "AutoTyp", s.AutoTyp);
  write("Auto", "AutoTabort", s.AutoTabort);
  write("Auto", "AutoStang", s.AutoStang);
  write("Auto", "NrFranFil", s.NrFranFil);
  write("RAS", "RasY/N", s.RasYN);
  write("RAS", "RasISP", s.RasISP);
  write("RAS", "RasUserName", s.RasUserName);
  write_shifted("RAS", "RasPassWord", s.RasPassWord);
  write_shifted("Mail", "MailPassWord", s.MailPassWord);
  write("Mail", "MailUserName", s.MailUserName);
  write("Mail", "MailServer", s.MailServer);
  for (size_t i = 0; i < s.MailTid.size(); ++i) {
    write("Mail", "MailTid" + std::to_string(i + 1), s.MailTid[i]);
  }
  write("Mail", "BaraLokalt", s.BaraLokalt);
  write("Auto", "VTid", FormatNumber(s.VTid));
  write("Auto", "PollTid", FormatNumber(s.PollTid));
  for (const char* key : kApiKeys) write(kApiSection, key, ApiSettingText(s.api, key));

  const std::string& folder = file.ProgramFolder();
  const FileBackup secrets(folder + SecretStore::kFileName);
  if (store_secrets && !store_secrets()) {
    secrets.Restore();
    return SecretStore::kFileName;
  }
  const FileBackup password(folder + kGatewayPasswordFileName);
  if (!WriteGatewayPassword(folder, s.GatewayPassword)) {
    secrets.Restore();
    return kGatewayPasswordFileName;
  }
  if (!file.WriteAll(entries)) {
    password.Restore();
    secrets.Restore();
    return SettingsFile::kFileName;
  }
  return std::nullopt;
}

void SaveWindowPosition(const SettingsFile& file, const ProgramSettings& settings) {
  file.WriteSetting("WinPosition", "Status", FormatNumber(settings.Status));
  file.WriteSetting("WinPosition", "Xpos", FormatNumber(settings.Xpos));
  file.WriteSetting("WinPosition", "Ypos", FormatNumber(settings.Ypos));
}

}  // namespace tolvane
