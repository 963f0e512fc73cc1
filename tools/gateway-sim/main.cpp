// gateway-sim: the simulated SMS gateway on a loopback port.
//
//   gateway-sim [--port 8080] [--status 200] [--delay 0]
//               [--answer NUMBER=CODE|silent|close[@MS]]...
//               [--credit 0] [--balance 100]
//               [--tls-cert CERT.pem --tls-key KEY.pem]
//
// Every request on any path is recorded and printed; a send request is
// answered with the status chosen for its toPhoneNumber, others with the
// default status. The answer's body echoes the request line and the decoded
// form fields. The balance questions are answered with the account's credit
// limit and balance; each message taken costs one. Port 0 picks a free port;
// the line "listening on" tells which.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSslCertificate>
#include <QSslKey>
#include <cstdio>
#include <optional>
#include <string>

#include "platform/text_codec.h"
#include "sim/sim_gateway.h"
#include "tools/gateway-sim/gateway_server.h"

namespace {

using tolvane::sim::GatewayAnswer;

bool ParseNumber(const QString& text, int& number) {
  bool ok = false;
  number = text.toInt(&ok);
  return ok && number >= 0;
}

// "CODE", "silent" or "close", with an optional "@MS" delay.
bool ParseAnswer(const QString& text, int default_delay, GatewayAnswer& answer) {
  QString kind = text.section('@', 0, 0);
  int delay = default_delay;
  if (text.contains('@') && !ParseNumber(text.section('@', 1), delay)) return false;
  int status = 0;
  if (kind == "silent") {
    answer = GatewayAnswer::Silent();
  } else if (kind == "close") {
    answer = GatewayAnswer::Close(delay);
  } else if (ParseNumber(kind, status) && status >= 100 && status <= 999) {
    answer = GatewayAnswer::Status(status, delay);
  } else {
    return false;
  }
  return true;
}

void PrintRequest(const tolvane::sim::GatewayRequest& request,
                  const tolvane::sim::GatewayReply& reply) {
  const char* outcome = reply.kind == GatewayAnswer::Kind::kSilent  ? "silent"
                        : reply.kind == GatewayAnswer::Kind::kClose ? "close"
                                                                    : nullptr;
  std::string line = request.http.method + " " + request.http.target + " -> " +
                     (outcome ? outcome : std::to_string(reply.status));
  for (const auto& [name, value] : request.fields) line += "\n  " + name + "=" + value;
  std::printf("%s\n", tolvane::Cp1252ToUtf8(line).c_str());
  std::fflush(stdout);
}

// The server's certificate and key for https; false when unreadable.
bool LoadTls(const QString& cert_file, const QString& key_file, QSslConfiguration& tls) {
  QFile cert(cert_file);
  QFile key(key_file);
  if (!cert.open(QIODevice::ReadOnly) || !key.open(QIODevice::ReadOnly)) return false;
  QSslCertificate certificate(&cert, QSsl::Pem);
  QSslKey private_key(&key, QSsl::Rsa, QSsl::Pem);
  if (certificate.isNull() || private_key.isNull()) return false;
  tls = QSslConfiguration::defaultConfiguration();
  tls.setLocalCertificate(certificate);
  tls.setPrivateKey(private_key);
  return true;
}

int Fail(const QString& text) {
  std::fprintf(stderr, "gateway-sim: %s\n", qPrintable(text));
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCommandLineParser options;
  options.setApplicationDescription("The simulated SMS gateway on a loopback port.");
  const QCommandLineOption help = options.addHelpOption();
  options.addOption({{"p", "port"}, "Port to listen on (0: any free one).", "port", "8080"});
  options.addOption({"status", "Status of every answer not chosen otherwise.", "code", "200"});
  options.addOption({"delay", "Milliseconds before an answer.", "ms", "0"});
  options.addOption(
      {"answer", "Answer for one recipient number: CODE, silent or close, @MS.", "number=answer"});
  options.addOption({"credit", "The account's credit limit (0: prepaid).", "messages", "0"});
  options.addOption(
      {"balance", "Messages left, or minus those sent this period.", "messages", "100"});
  options.addOption({"tls-cert", "Serve https with this PEM certificate.", "file"});
  options.addOption({"tls-key", "The certificate's PEM RSA private key.", "file"});
  // A wrong option gives 2, as for the other simulators.
  if (!options.parse(app.arguments())) return Fail(options.errorText());
  if (options.isSet(help)) options.showHelp(0);
  if (!options.positionalArguments().isEmpty()) {
    return Fail("unknown argument " + options.positionalArguments().first());
  }

  int port = 0;
  int delay = 0;
  GatewayAnswer default_answer;
  if (!ParseNumber(options.value("port"), port) || port > 65535) return Fail("bad port");
  if (!ParseNumber(options.value("delay"), delay)) return Fail("bad delay");
  if (!ParseAnswer(options.value("status") + "@" + QString::number(delay), delay, default_answer)) {
    return Fail("bad status");
  }
  bool credit_ok = false;
  bool balance_ok = false;
  tolvane::sim::GatewayAccount account{options.value("credit").toInt(&credit_ok),
                                       options.value("balance").toInt(&balance_ok)};
  if (!credit_ok || !balance_ok) return Fail("bad credit or balance");
  tolvane::sim::SimGateway gateway;
  gateway.SetDefaultAnswer(default_answer);
  gateway.SetAccount(account);
  for (const QString& choice : options.values("answer")) {
    GatewayAnswer answer;
    if (!choice.contains('=') || !ParseAnswer(choice.section('=', 1), delay, answer)) {
      return Fail("bad answer " + choice);
    }
    gateway.SetAnswer(choice.section('=', 0, 0).toStdString(), answer);
  }

  std::optional<QSslConfiguration> tls;
  if (options.isSet("tls-cert") || options.isSet("tls-key")) {
    tls.emplace();
    if (!LoadTls(options.value("tls-cert"), options.value("tls-key"), *tls)) {
      return Fail("cannot read the certificate or key");
    }
  }

  tolvane::sim::GatewayServer server(gateway, PrintRequest, tls);
  if (!server.Listen(static_cast<quint16>(port))) return Fail(server.ErrorText());
  std::printf("gateway-sim listening on %s://127.0.0.1:%u\n", tls ? "https" : "http",
              server.Port());
  std::fflush(stdout);
  return app.exec();
}
