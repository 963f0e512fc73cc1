// `tolvane --serve` with its HTTP API against smpp-sim, driven with curl; every
// answer is checked against docs/openapi.json by an independent validator.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTimer>
#include <algorithm>
#include <nlohmann/json.hpp>
#include <string>

#include "support/qt/program_folder.h"
#include "support/qt/program_run.h"
#include "support/qt/run_until.h"
#include "support/qt/simulator_process.h"

namespace tolvane {
namespace {

using nlohmann::json;
using ::testing::HasSubstr;

const std::string kCheckers = std::string(TOLVANE_SOURCE_DIR) + "/tests/api/openapi";

class ApiEndToEndTest : public ::testing::Test {
 protected:
  ~ApiEndToEndTest() override { Stop(); }
  static void SetUpTestSuite() {
    // The validator from npm, installed once (again when its lock changed).
    ASSERT_EQ(QProcess::execute(QString::fromStdString(kCheckers + "/install.sh")), 0);
  }

  // Starts the provider and writes the settings (one submit outstanding).
  void Prepare(int submit_delay_ms, const std::string& more_settings = "") {
    const std::string address = simulator_.Start(
        "smpp-sim",
        {"--port", "0", "--record", QString::fromStdString(folder_.FilePath("record.txt")),
         "--submit-delay", QString::number(submit_delay_ms), "--receipt-delay", "200"},
        "127\\.0\\.0\\.1:[0-9]+");
    ASSERT_FALSE(address.empty());
    ASSERT_EQ(testing::RunProgram(folder_.path() / "tolvane", {"--store-secret", "smpp"},
                                  environment_, folder_.path(), 60000, "secret\n")
                  .status,
              0);
    folder_.WriteFile("tolvmsg.ini",
                      "[Access]\r\nAccessTyp=SMPP\r\n[SMPP]\r\nHost=127.0.0.1\r\n"
                      "Port=" +
                          address.substr(address.find(':') + 1) +
                          "\r\nSystemId=tolvane\r\nWindow=1\r\n[Adress]\r\nAvs=Tolvane\r\n"
                          "[API]\r\nEnabled=1\r\nPort=0\r\n" +
                          more_settings);
    token_ =
        QString::fromStdString(testing::RunProgram(folder_.path() / "tolvane", {"--new-api-token"},
                                                   environment_, folder_.path(), 60000)
                                   .standard_output)
            .trimmed()
            .toStdString();
    ASSERT_EQ(token_.size(), 43u);
  }
  // Starts serving and waits for the API's address.
  void Serve() {
    errors_.clear();
    serve_.setProcessEnvironment(environment_);
    serve_.setReadChannel(QProcess::StandardError);
    serve_.setWorkingDirectory(QString::fromStdString(folder_.path().string()));
    serve_.start(QString::fromStdString((folder_.path() / "tolvane").string()), {"--serve"});
    ASSERT_TRUE(serve_.waitForStarted());
    const QRegularExpression listening("API: listening on (http://127\\.0\\.0\\.1:[0-9]+)");
    while (serve_.waitForReadyRead(60000)) {
      errors_ += serve_.readAllStandardError().toStdString();
      const auto match = listening.match(QString::fromStdString(errors_));
      if (match.hasMatch()) {
        base_ = match.captured(1).toStdString();
        return;
      }
    }
    FAIL() << errors_;
  }
  void Stop() {
    if (serve_.state() == QProcess::NotRunning) return;
    serve_.terminate();  // SIGTERM
    serve_.waitForFinished(60000);
  }
  // curl's answer: the status line and header fields, then the body.
  std::string Curl(const QStringList& arguments, const std::string& token = "") {
    QProcess curl;
    // No "Expect: 100-continue": one answer a request.
    curl.start("curl", QStringList{"-s", "-i", "-H", "Expect:", "-H",
                                   QString::fromStdString("Authorization: Bearer " +
                                                          (token.empty() ? token_ : token))} +
                           arguments);
    EXPECT_TRUE(curl.waitForFinished(30000));
    const std::string answer = curl.readAllStandardOutput().toStdString();
    CheckAgainstDocument(arguments.contains("-d") ? "POST" : "GET",
                         arguments.back().toStdString().substr(base_.size()), answer);
    return answer;
  }
  void CheckAgainstDocument(const std::string& method, const std::string& path,
                            const std::string& answer) {
    const size_t end = answer.find("\r\n\r\n");
    ASSERT_NE(end, std::string::npos) << answer;
    const std::string head = answer.substr(0, end);
    const std::string status = head.substr(head.find(' ') + 1, 3);
    const std::string lower = QString::fromStdString(head).toLower().toStdString();
    const size_t field = lower.find("\r\ncontent-type: ");
    const std::string type =
        field == std::string::npos
            ? ""
            : head.substr(field + 16, head.find("\r\n", field + 16) - (field + 16));
    folder_.WriteFile("answer.json", answer.substr(end + 4));
    QProcess check;
    check.start("node", {QString::fromStdString(kCheckers + "/check_answer.mjs"),
                         QString::fromStdString(method), QString::fromStdString(path),
                         QString::fromStdString(status), QString::fromStdString(type),
                         QString::fromStdString((folder_.path() / "answer.json").string())});
    ASSERT_TRUE(check.waitForFinished(30000));
    EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardError().toStdString() << answer;
  }
  json Body(const std::string& answer) {
    const size_t body = answer.find("\r\n\r\n");
    return body == std::string::npos ? json() : json::parse(answer.substr(body + 4));
  }
  std::string Post(const std::string& body, const std::string& key = "",
                   const QString& type = "application/json") {
    QStringList arguments{"-H", "Content-Type: " + type, "-d", QString::fromStdString(body)};
    if (!key.empty()) arguments << "-H" << QString::fromStdString("Idempotency-Key: " + key);
    return Curl(arguments << QString::fromStdString(base_ + "/v1/messages"));
  }
  // Asks for the message every 200 ms until it has ended.
  json FollowToEnd(const std::string& id) {
    json message;
    testing::RunUntil(
        [&] {
          bool tick = false;
          QTimer::singleShot(200, [&] { tick = true; });
          testing::RunUntil([&] { return tick; });
          message = Body(Curl({QString::fromStdString(base_ + "/v1/messages/" + id)}));
          return message["state"] == "ended" &&
                 message["recipients"].back()["state"] == "delivered";
        },
        60000);
    return message;
  }
  int Taken() const {
    const std::string record = folder_.ReadFile("record.txt");
    return static_cast<int>(std::count(record.begin(), record.end(), '\n'));
  }

  testing::ProgramFolder folder_;
  testing::SimulatorProcess simulator_;
  QProcessEnvironment environment_ = folder_.OffscreenEnvironment();
  QProcess serve_;
  std::string token_;
  std::string base_;
  std::string errors_;
};

// One message to four, at the very edge of the day's limit, is followed through
// a SIGTERM to its end; every error answers with its problem.
TEST_F(ApiEndToEndTest, APostIsDeliveredThroughARestartAndEveryErrorAnswersWithItsProblem) {
  Prepare(1000, "MaxBody=200\r\n[Message]\r\nPerDay=4\r\n");
  Serve();
  const std::string body =
      R"({"to": ["0701000001", "0701000002", "0701000003", "0701000004"], "text": "Hej från API:t"})";
  struct Case {
    std::string answer, status, detail;
  };
  std::vector<Case> cases{
      {Curl({QString::fromStdString(base_ + "/v1/health")}, "none"), "200 OK", ""},
      {Post(R"({"to": "+46701234567", )"), "400 Bad Request", "Malformed JSON"},
      {Curl({QString::fromStdString(base_ + "/v1/status")}, "wrong"), "401 Unauthorized", "token"},
      {Curl({QString::fromStdString(base_ + "/v1/messages/out-99")}), "404 Not Found", "out-99"},
      {Post(R"({"to": "+46701234567", "text": ")" + std::string(200, 'x') + "\"}"),
       "413 Content Too Large", "200"},
      {Post(R"({"to": "+46701234567", "text": "x"})", "", "text/plain"),
       "415 Unsupported Media Type", "application/json"},
      {Post(R"({"group": "Nobody", "text": "x"})"), "422", "Nobody"},
      {Post(body, "e2e-1"), "202 Accepted", ""},
  };
  ASSERT_TRUE(testing::RunUntil([&] { return Taken() >= 1; }, 60000));
  Stop();
  EXPECT_EQ(serve_.exitCode(), 0);
  ASSERT_LT(Taken(), 4);

  // The next start goes on with those not yet sent; one whose submit was
  // written and never answered is not sent twice but left unknown. The key
  // and the day's parts outlast the restart.
  Serve();
  cases.push_back({Post(R"({"to": "+46701234567", "text": "Other"})", "e2e-1"), "409 Conflict",
                   "another body"});
  cases.push_back(
      {Post(R"({"to": ["0701", "0702"], "text": "Two"})"), "429 Too Many Requests", ""});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    EXPECT_THAT(c.answer, HasSubstr("HTTP/1.1 " + c.status));
    if (c.status.starts_with('4')) {
      EXPECT_THAT(c.answer, HasSubstr("application/problem+json"));
      EXPECT_THAT(Body(c.answer)["detail"].get<std::string>(), HasSubstr(c.detail));
    }
  }
  EXPECT_THAT(cases.back().answer, HasSubstr("Retry-After: "));
  EXPECT_THAT(cases[2].answer, HasSubstr("WWW-Authenticate: Bearer"));
  const std::string first = cases[7].answer;
  EXPECT_THAT(first, HasSubstr("Location: /v1/messages/out-1"));
  EXPECT_EQ(Body(Post(body, "e2e-1")), Body(first));
  const json resumed = FollowToEnd("out-1");
  SCOPED_TRACE(resumed.dump());
  EXPECT_EQ(resumed["state"], "ended");
  int delivered = 0;
  for (const json& recipient : resumed["recipients"]) {
    EXPECT_THAT(recipient["state"], ::testing::AnyOf("delivered", "unknown"));
    delivered += recipient["state"] == "delivered";
  }
  EXPECT_GE(delivered, 3);
  EXPECT_EQ(resumed["recipients"].back()["parts"][0]["state"], "delivered");
  Stop();
  EXPECT_EQ(Taken(), delivered);
  EXPECT_THAT(folder_.ReadFile("record.txt"), HasSubstr("Hej från API:t"));
}

}  // namespace
}  // namespace tolvane
