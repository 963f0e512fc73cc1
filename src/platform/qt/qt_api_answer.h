#ifndef TOLVANE_PLATFORM_QT_QT_API_ANSWER_H_
#define TOLVANE_PLATFORM_QT_QT_API_ANSWER_H_

#include <QByteArray>

#include "api/api_exchange.h"

namespace tolvane {

// The answer as HTTP/1.1 bytes, with Content-Length, and "Connection:
// close" when the connection ends after it.
QByteArray AnswerBytes(const ApiResponse& answer, bool close);

}  // namespace tolvane

#endif  // TOLVANE_PLATFORM_QT_QT_API_ANSWER_H_
