#ifndef TOLVANE_GATEWAY_FORM_ENCODING_H_
#define TOLVANE_GATEWAY_FORM_ENCODING_H_

#include <string>

namespace tolvane {

// The message's Windows-1252 bytes as the gateway expects them in the form: "%" becomes "/",
// CR "%0D", space "+", LF "%0A", "&" "%26"; every other byte goes unchanged
// except "+", sent as "%2B" so that a form decoder does not turn it into a space.
std::string EscapeGatewayMessage(const std::string& text);

// A form value's Windows-1252 bytes (the gateway's code page) with every byte
// outside letters, digits and "-._~" percent-encoded, so that "&", "=", "+"
// and "%" arrive as typed. The value is UTF-8 text.
std::string FormEncode(const std::string& value);

}  // namespace tolvane

#endif  // TOLVANE_GATEWAY_FORM_ENCODING_H_
