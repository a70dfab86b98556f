#include "support/rule_variants.h"

std::vector<Rule_Variant> Rule_Variants() {
    std::vector<Rule_Variant> variants;
    for (Kernel_Set set : Available_Kernel_Sets()) variants.push_back({set});
    return variants;
}

Kernel_Set_Watch::Kernel_Set_Watch(Kernel_Set asked_set) : asked(asked_set) {
    for (Kernel_Set set : {Kernel_Set::plain, Kernel_Set::sse2, Kernel_Set::avx2})
        runs_before[static_cast<size_t>(set)] = Kernel_Set_Runs(set);
}

void Kernel_Set_Watch::Check(bool must_run) const {
    for (Kernel_Set set : {Kernel_Set::plain, Kernel_Set::sse2, Kernel_Set::avx2}) {
        const uint64_t runs = Kernel_Set_Runs(set) - runs_before[static_cast<size_t>(set)];
        if (set == asked) {
            if (must_run) {
                EXPECT_GT(runs, 0u) << "the " << Kernel_Set_Name(set) << " kernels asked for never ran";
            }
        } else {
            EXPECT_EQ(runs, 0u) << "the " << Kernel_Set_Name(set) << " kernels ran, but "
                                << Kernel_Set_Name(asked) << " was asked for";
        }
    }
}

std::string Variant_Test_Name(const testing::TestParamInfo<Rule_Variant>& info) { return info.param.Name(); }
