#ifndef TOLVANE_API_OPENAPI_DOCUMENT_H_
#define TOLVANE_API_OPENAPI_DOCUMENT_H_

#include <string_view>

namespace tolvane {

// The OpenAPI 3.1 description of the API and its webhook, as docs/openapi.json
// holds it (built into the program from that file).
std::string_view OpenApiDocument();

}  // namespace tolvane

#endif  // TOLVANE_API_OPENAPI_DOCUMENT_H_
