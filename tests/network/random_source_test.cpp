// The random source's draws taken many at a time must be the draws taken one
// at a time, and leave the source where those leave it.
#include "network/random_source.h"
#include "support/test_network.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Network_Random_Source, DrawsTakenTogetherAreTheDrawsTakenOneByOne) {
    for (const uint32_t start : {1u, 0u, 0xFFFFFFFFu, 123456789u, Random_State_Before(32767)}) {
        for (size_t count : {0, 1, 3, 4, 5, 7, 8, 9, 1000, 1003}) {
            std::vector<int> together(count);
            Set_Random_State(start);
            Draw_Randoms(together.data(), count);
            const uint32_t after_together = Random_State();
            std::vector<int> one_by_one;
            Set_Random_State(start);
            for (size_t k = 0; k < count; ++k) one_by_one.push_back(Draw_Random());
            EXPECT_EQ(together, one_by_one) << "from " << start << ", " << count << " draws";
            EXPECT_EQ(after_together, Random_State()) << "from " << start << ", " << count << " draws";
        }
    }
}

}  // namespace
