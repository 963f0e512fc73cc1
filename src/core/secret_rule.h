#ifndef TOLVANE_CORE_SECRET_RULE_H_
#define TOLVANE_CORE_SECRET_RULE_H_

#include <functional>
#include <string>
#include <string_view>

namespace tolvane {

// A secret a transport keeps, by the name `tolvane --store-secret NAME`
// takes and SecretStore files it under.
struct SecretRule {
  std::string name;
  // Why a value can never be this secret ("The SIM PIN must be 4 to 8
  // digits"), refused where it is typed; empty when it can be. Null: any
  // value can.
  std::function<std::string(std::string_view value)> refusal;

  std::string RefusalOf(std::string_view value) const { return refusal ? refusal(value) : ""; }
};

}  // namespace tolvane

#endif  // TOLVANE_CORE_SECRET_RULE_H_
