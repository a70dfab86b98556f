// The fixture of the exactness tests: every test that holds the fast rules
// against the plain ones runs once on each kernel set the processor has,
// the plain scalar set included, and fails if the vector kernels that ran
// were not those of the set it asked for (or none ran).
#pragma once

#include "network/layer_connection.h"
#include "network/weight_row_kernels.h"

#include <gtest/gtest.h>

#include "support/test_network.h"

#include <cstdint>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

// Every variant this processor can run.
std::vector<Rule_Variant> Rule_Variants();

// Counts the vector kernels' runs of each set over a test.
class Kernel_Set_Watch {
public:
    explicit Kernel_Set_Watch(Kernel_Set asked_set);
    // A test failure if a set other than the asked one ran, or (if it must
    // run) it did not.
    void Check(bool must_run) const;

private:
    Kernel_Set asked;
    uint64_t runs_before[3];
};

// For tests with no cases of their own: TEST_P(Fixture, ...) with
// INSTANTIATE_TEST_SUITE_P(Variants, Fixture, testing::ValuesIn(Rule_Variants()), Variant_Test_Name).
class On_Each_Rule_Variant : public testing::TestWithParam<Rule_Variant> {
protected:
    const Rule_Variant& Variant() const { return GetParam(); }
    void SetUp() override { watch = std::make_unique<Kernel_Set_Watch>(Variant().kernels); }
    void TearDown() override {
        if (!HasFatalFailure()) watch->Check(must_run);
    }
    // For a test whose layers leave the vector kernels nothing to do.
    void Allow_No_Kernel_Run() { must_run = false; }

private:
    std::unique_ptr<Kernel_Set_Watch> watch;
    bool must_run = true;
};

std::string Variant_Test_Name(const testing::TestParamInfo<Rule_Variant>& info);

// For tests with a table of cases: each case on each variant, with
// INSTANTIATE_TEST_SUITE_P(Cases, Fixture, Each_Variant_With(testing::ValuesIn(cases)),
//                          Variant_Case_Test_Name<Case>).
template <typename Case>
class On_Each_Rule_Variant_With : public testing::TestWithParam<std::tuple<Rule_Variant, Case>> {
protected:
    const Rule_Variant& Variant() const { return std::get<0>(this->GetParam()); }
    const Case& Tested() const { return std::get<1>(this->GetParam()); }
    void SetUp() override { watch = std::make_unique<Kernel_Set_Watch>(Variant().kernels); }
    void TearDown() override {
        if (!this->HasFatalFailure()) watch->Check(must_run);
    }
    // For a test whose layers leave the vector kernels nothing to do.
    void Allow_No_Kernel_Run() { must_run = false; }

private:
    std::unique_ptr<Kernel_Set_Watch> watch;
    bool must_run = true;
};

template <typename Cases>
auto Each_Variant_With(Cases cases) {
    return testing::Combine(testing::ValuesIn(Rule_Variants()), cases);
}

// The case's own name (its field name) and the variant's.
template <typename Case>
std::string Variant_Case_Test_Name(const testing::TestParamInfo<std::tuple<Rule_Variant, Case>>& info) {
    return std::get<1>(info.param).name + "_" + std::get<0>(info.param).Name();
}
