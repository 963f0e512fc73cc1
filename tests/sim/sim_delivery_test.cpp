// The orders the simulated centres take for messages to the client (how
// their parts go is the receiving scenarios').
#include "sim/sim_delivery.h"

#include <gtest/gtest.h>

#include "sim/sim_emi_centre.h"

namespace tolvane::sim {
namespace {

TEST(SimDeliveryTest, AnOrderNamesANumberOrANameAndItsText) {
  EXPECT_EQ(ReadDeliverLine("deliver +46701234567 Hej då!\r\n")->text, "Hej då!");
  EXPECT_FALSE(ReadDeliverLine("deliver +46701234567"));
  SimEmiCentre centre([](int, std::function<void()>) {});
  std::string refusal;
  EXPECT_FALSE(centre.Deliver({"070#1", "Hej"}, refusal));
}

}  // namespace
}  // namespace tolvane::sim
