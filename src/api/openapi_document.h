#ifndef TOLVANE_API_OPENAPI_DOCUMENT_H_
#define TOLVANE_API_OPENAPI_DOCUMENT_H_

#include <string_view>

namespace tolvane {

// The OpenAPI description of the API, served at /v1/openapi.json.
inline std::string_view OpenApiDocument() { return "{}"; }

}  // namespace tolvane

#endif  // TOLVANE_API_OPENAPI_DOCUMENT_H_
