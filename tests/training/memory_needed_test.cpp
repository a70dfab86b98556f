// The memory the settings check counts for a network against what a built,
// shown and running network holds. Every allocation of this test program
// through operator new is counted, so the network's can be measured.
#include "training/training_worker.h"

#include "network/random_source.h"
#include "training_test_support.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

// The instrumented builds have allocators of their own, which a program
// cannot count this way: there the test is skipped.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define LAYERDREAM_COUNTS_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define LAYERDREAM_COUNTS_ALLOCATIONS 0
#endif
#endif
#ifndef LAYERDREAM_COUNTS_ALLOCATIONS
#define LAYERDREAM_COUNTS_ALLOCATIONS 1
#endif

namespace {

std::atomic<int64_t> held_bytes{0};

}  // namespace

#if LAYERDREAM_COUNTS_ALLOCATIONS
void* operator new(std::size_t size) {
    void* block = std::malloc(size != 0 ? size : 1);
    if (block == nullptr) throw std::bad_alloc();
    held_bytes += static_cast<int64_t>(malloc_usable_size(block));
    return block;
}
void operator delete(void* block) noexcept {
    if (block == nullptr) return;
    held_bytes -= static_cast<int64_t>(malloc_usable_size(block));
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept { operator delete(block); }
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete[](void* block) noexcept { operator delete(block); }
void operator delete[](void* block, std::size_t) noexcept { operator delete(block); }
#endif

namespace {

using namespace training_test;

// Layers of sizes no other test uses, so that no freed picture of another
// test is taken up again instead of being allocated.
TEST(Memory_Needed, IsWhatABuiltShownAndRunningNetworkHoldsWithinAFewPercent) {
    if (!LAYERDREAM_COUNTS_ALLOCATIONS) GTEST_SKIP() << "allocations are not counted in an instrumented build";
    Training_Settings settings;
    settings.layer1_width = 37;
    settings.layer1_height = 41;
    settings.layer2_width = 23;
    settings.layer2_height = 29;
    const int64_t before = held_bytes;
    Headless_Network network;
    Set_Random_State(1);
    network.stack.Add_Layer(28, 28);
    network.stack.Add_Layer(settings.layer1_width, settings.layer1_height);
    network.stack.Add_Layer(settings.layer2_width, settings.layer2_height);
    network.stack.Show_All();
    for (int32_t p = 0; p < 2; ++p) {
        for (int32_t c = 0; c <= p; ++c) network.stack.connections[c]->Sample_Up();
        network.stack.connections[p]->Learn_From_Sample(0.1);
    }
    network.stack.connections[1]->Sample_Down();
    network.stack.connections[0]->Sample_Down();
    network.stack.Show_All();
    const double held = static_cast<double>(held_bytes - before);
    const double counted = Memory_Needed_Bytes(settings);
    EXPECT_GE(counted, held);
    EXPECT_LE(counted, held * 1.03);
}

}  // namespace
