#include "platform/qt/qt_api_answer.h"

#include <string>

#include "api/problem.h"

namespace tolvane {

QByteArray AnswerBytes(const ApiResponse& answer, bool close) {
  std::string head =
      "HTTP/1.1 " + std::to_string(answer.status) + " " + ReasonPhrase(answer.status) + "\r\n";
  for (const auto& [name, value] : answer.headers) head += name + ": " + value + "\r\n";
  head += "Content-Length: " + std::to_string(answer.body.size()) + "\r\n";
  if (close) head += "Connection: close\r\n";
  head += "\r\n";
  QByteArray bytes = QByteArray::fromStdString(head);
  bytes += QByteArray::fromStdString(answer.body);
  return bytes;
}

}  // namespace tolvane
