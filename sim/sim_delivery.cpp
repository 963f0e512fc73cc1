#include "sim/sim_delivery.h"

#include <algorithm>

namespace tolvane::sim {

std::optional<DeliverOrder> ReadDeliverLine(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  constexpr std::string_view kWord = "deliver ";
  if (!line.starts_with(kWord)) return std::nullopt;
  line.remove_prefix(kWord.size());
  const size_t space = line.find(' ');
  if (space == 0 || space == std::string_view::npos) return std::nullopt;
  return DeliverOrder{std::string(line.substr(0, space)), std::string(line.substr(space + 1))};
}

std::optional<DeliveryPlan> PlanDelivery(const DeliverOrder& order, int reference,
                                         const DeliverOptions& options, std::string& refusal) {
  const std::optional<SmsAddress> from = SenderAddress(order.from, kInternationalPrefix, refusal);
  if (!from) return std::nullopt;
  TextParts text = SplitIntoParts(order.text);
  if (options.payload) {
    std::string whole;
    for (const std::string& part : text.parts) whole += part;
    text.parts = {whole};
  }
  const int total = static_cast<int>(text.parts.size());
  const UserDataCoding coding =
      text.encoding == SmsEncoding::kUcs2 ? UserDataCoding::kUcs2 : UserDataCoding::kGsmSeptets;
  std::vector<DeliveryPart> parts;
  for (int index = 1; index <= total; ++index) {
    DeliveryPart part{*from, text.encoding, "", text.parts[index - 1], {}};
    if (total > 1) {
      part.header = {0x05,
                     0x00,
                     0x03,
                     static_cast<char>(reference),
                     static_cast<char>(total),
                     static_cast<char>(index)};
    }
    part.described = {order.from, total > 1 ? reference : 0, total > 1 ? index : 0, total,
                      DecodeUserText(part.payload, coding)};
    parts.push_back(std::move(part));
  }
  if (options.reversed) std::reverse(parts.begin(), parts.end());
  if (options.part_twice > 0 && options.part_twice <= total) {
    parts.insert(parts.begin() + options.part_twice, parts[options.part_twice - 1]);
  }
  DeliveryPlan plan;
  const size_t now = options.split_after > 0
                         ? std::min(parts.size(), static_cast<size_t>(options.split_after))
                         : parts.size();
  plan.now.assign(parts.begin(), parts.begin() + static_cast<std::ptrdiff_t>(now));
  plan.later.assign(parts.begin() + static_cast<std::ptrdiff_t>(now), parts.end());
  return plan;
}

bool ParseDeliverOption(ToolArguments& arguments, bool smpp, std::vector<DeliverOrder>& orders,
                        DeliverOptions& options) {
  const std::string& arg = arguments.Option();
  if (arg == "--deliver") {
    std::string from = arguments.Value();
    orders.push_back({std::move(from), arguments.Value()});
  } else if (arg == "--reversed") {
    options.reversed = true;
  } else if (arg == "--part-twice") {
    options.part_twice = CountArgument(arguments.Value());
  } else if (arg == "--split-after") {
    options.split_after = CountArgument(arguments.Value());
  } else if (smpp && arg == "--sar") {
    options.sar = true;
  } else if (smpp && arg == "--payload") {
    options.payload = true;
  } else {
    return false;
  }
  return true;
}

}  // namespace tolvane::sim
