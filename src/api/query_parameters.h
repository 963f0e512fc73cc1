#ifndef TOLVANE_API_QUERY_PARAMETERS_H_
#define TOLVANE_API_QUERY_PARAMETERS_H_

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

// %XX sequences decoded ("+" stays itself, as numbers carry it); nothing
// for a broken sequence.
std::optional<std::string> PercentDecoded(std::string_view text);

// The parameters of a query ("limit=5&cursor=x"), each decoded; nothing
// when one is broken, named twice, or not among `known` (then `bad` names
// it).
std::optional<std::map<std::string, std::string>> ReadQuery(
    std::string_view query, std::initializer_list<std::string_view> known, std::string& bad);

// A page size: 1 to 200, 50 when not given; nothing when out of range.
std::optional<int> ReadLimit(const std::map<std::string, std::string>& parameters);

}  // namespace tolvane

#endif  // TOLVANE_API_QUERY_PARAMETERS_H_
