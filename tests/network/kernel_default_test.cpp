// Which kernels a connection runs when it is made: the widest this processor
// and its operating system can run, as the processor itself reports it.
#include "network/layer_connection.h"
#include "network/neuron_layer.h"
#include "network/random_source.h"
#include "network/weight_row_kernels.h"

#include <gtest/gtest.h>

#if defined(__x86_64__) || defined(_M_X64)
#include <cpuid.h>
#endif

namespace {

// AVX2 as the processor reports it (CPUID leaf 7), usable only where the
// operating system saves the vector registers (XSAVE enabled, and the YMM
// state in XCR0).
Kernel_Set Widest_Set_The_Processor_Reports() {
#if defined(__x86_64__) || defined(_M_X64)
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return Kernel_Set::sse2;
    const bool osxsave = (ecx & (1u << 27)) != 0;
    const bool avx = (ecx & (1u << 28)) != 0;
    if (!osxsave || !avx) return Kernel_Set::sse2;
    unsigned xcr0_low = 0, xcr0_high = 0;
    __asm__ volatile("xgetbv" : "=a"(xcr0_low), "=d"(xcr0_high) : "c"(0));
    if ((xcr0_low & 0x6u) != 0x6u) return Kernel_Set::sse2;
    if (__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) == 0) return Kernel_Set::sse2;
    return (ebx & (1u << 5)) != 0 ? Kernel_Set::avx2 : Kernel_Set::sse2;
#else
    return Kernel_Set::plain;
#endif
}

TEST(Network_Kernel_Default, ANewConnectionRunsTheWidestSetTheProcessorHas) {
    const Kernel_Set widest = Widest_Set_The_Processor_Reports();
    SCOPED_TRACE(Kernel_Set_Name(widest));
    Neuron_Layer lower;
    Neuron_Layer upper;
    lower.Create(4, 5);
    upper.Create(3, 3);
    Set_Random_State(1);
    Layer_Connection connection;
    connection.Create(&lower, &upper);
    EXPECT_STREQ(Kernel_Set_Name(connection.Kernels()), Kernel_Set_Name(widest));

    // Those are the kernels its rules run.
    uint64_t runs_before[3];
    for (Kernel_Set set : {Kernel_Set::plain, Kernel_Set::sse2, Kernel_Set::avx2})
        runs_before[static_cast<int>(set)] = Kernel_Set_Runs(set);
    connection.Sample_Up();
    connection.Learn_From_Sample(0.1);
    for (Kernel_Set set : {Kernel_Set::plain, Kernel_Set::sse2, Kernel_Set::avx2}) {
        const uint64_t runs = Kernel_Set_Runs(set) - runs_before[static_cast<int>(set)];
        if (set == widest)
            EXPECT_GT(runs, 0u) << Kernel_Set_Name(set);
        else
            EXPECT_EQ(runs, 0u) << Kernel_Set_Name(set);
    }

    // Made again after another set was chosen: the widest again.
    ASSERT_TRUE(connection.Use_Kernel_Set(Kernel_Set::plain));
    connection.Create(&lower, &upper);
    EXPECT_STREQ(Kernel_Set_Name(connection.Kernels()), Kernel_Set_Name(widest));
    connection.Destroy();
    lower.Destroy();
    upper.Destroy();
}

}  // namespace
