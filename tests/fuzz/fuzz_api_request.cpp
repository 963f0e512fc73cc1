// The HTTP API's handler on requests of any form: method, target, header
// fields and body as they come. Every answer has a status the API gives,
// and every error answer is a problem document in JSON.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "api/api_handler.h"
#include "api/api_run_queue.h"
#include "fuzz_session.h"

namespace tolvane {
namespace {

constexpr char kToken[] = "fuzz-token";
constexpr const char* kMethods[] = {"GET", "POST", "DELETE", "PUT", "HEAD", "UNKNOWN"};
constexpr const char* kTargets[] = {"/v1/messages",  "/v1/messages/out-1", "/v1/messages/in-1",
                                    "/v1/messages?", "/v1/contacts?",      "/v1/groups/",
                                    "/v1/status",    "/v1/health",         "/v1/openapi.json"};
constexpr const char* kFields[] = {"Authorization", "Content-Type", "Idempotency-Key", "Connection",
                                   "X-Other"};
constexpr int kStatuses[] = {200, 202, 400, 401, 404, 405, 409, 413, 415, 422, 429, 503};

}  // namespace

int FuzzOne(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  testing::WindowPeripherals& peripherals = SessionRun::SharedPeripherals();
  sim::SimEventLoop loop;
  ProgramSettings settings = peripherals.settings;
  settings.api.MaxBody = input.ConsumeIntegralInRange(1, 4096);
  settings.PerDay = input.ConsumeIntegralInRange(0, 5);
  testing::MockMainWindowHost host;
  MainWindow window(settings, peripherals.Services(loop), host);
  ApiRunQueue queue(window, peripherals.dialogs);
  ApiHandler handler({window, queue, [] { return std::string("off"); }}, kToken);

  ApiRequest request;
  request.method =
      input.ConsumeBool() ? input.PickValueInArray(kMethods) : input.ConsumeRandomLengthString(16);
  request.target = (input.ConsumeBool() ? input.PickValueInArray(kTargets) : "") +
                   input.ConsumeRandomLengthString(64);
  for (int fields = input.ConsumeIntegralInRange(0, 6); fields > 0; --fields) {
    const std::string name =
        input.ConsumeBool() ? input.PickValueInArray(kFields) : input.ConsumeRandomLengthString(16);
    std::string value = input.ConsumeRandomLengthString(64);
    if (name == "Authorization" && input.ConsumeBool()) value = std::string("Bearer ") + kToken;
    if (name == "Content-Type" && input.ConsumeBool()) value = "application/json";
    request.headers.emplace_back(name, value);
  }
  request.body = input.ConsumeRemainingBytesAsString();

  const ApiResponse answer = handler.Handle(request);
  FUZZ_CHECK(std::find(std::begin(kStatuses), std::end(kStatuses), answer.status) !=
             std::end(kStatuses));
  if (answer.status >= 400) {
    FUZZ_CHECK(answer.Header("Content-Type") == "application/problem+json");
    const nlohmann::json problem = nlohmann::json::parse(answer.body, nullptr, false);
    FUZZ_CHECK(!problem.is_discarded() && problem.value("status", 0) == answer.status);
  }
  // What was queued goes, or fails, without harm.
  loop.RunFor(std::chrono::seconds(5));
  return 0;
}

}  // namespace tolvane
