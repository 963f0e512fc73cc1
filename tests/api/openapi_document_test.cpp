// The program's OpenAPI document is docs/openapi.json as it stands, and JSON.
#include "api/openapi_document.h"

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

namespace tolvane {
namespace {

TEST(OpenApiDocumentTest, IsTheFileOfTheDocs) {
  std::ifstream file(TOLVANE_SOURCE_DIR "/docs/openapi.json", std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  EXPECT_EQ(OpenApiDocument(), content.str());
  EXPECT_EQ(nlohmann::json::parse(OpenApiDocument())["openapi"], "3.1.0");
}

}  // namespace
}  // namespace tolvane
