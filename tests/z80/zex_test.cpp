// Quick runs of the CP/M exercisers: the preliminary test whole, and the
// cheap groups of ZEXDOC and ZEXALL (the full runs are the slow tests).
#include "tests/z80/test_bus.h"
#include "tests/z80/zex_harness.h"

#include <gtest/gtest.h>

namespace {

using namespace z80test;

// Groups that cost under 45 M T-states each: loads and stores through every
// addressing mode, BIT n,(IX+d), the IX/IY rotate and SET/RES forms, LDI/LDD.
const std::vector<int> cheapGroups = {8,  32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45,
                                      46, 47, 48, 51, 52, 53, 54, 55, 59, 62, 63, 64, 65, 66};

void ExpectPasses(const CpmRun& run, const char* banner, size_t groups) {
    ASSERT_TRUE(run.loaded);
    EXPECT_TRUE(run.finished) << run.output;
    EXPECT_NE(run.output.find(banner), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("ERROR"), std::string::npos) << run.output;
    size_t ok = 0;
    for (size_t at = run.output.find("OK"); at != std::string::npos;
         at = run.output.find("OK", at + 2))
        ok++;
    EXPECT_EQ(ok, groups) << run.output;
}

class Exerciser : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = SuitesDir();
        Z80_NEED_SUITES(dir);
    }
    std::string dir;
};

TEST_F(Exerciser, PreliminaryTestCompletes) {
    CpmRun run = RunCpmProgram(dir + "/prelim.com");
    ExpectPasses(run, "Preliminary tests complete", 0);
}

TEST_F(Exerciser, CheapZexdocGroupsPass) {
    ExpectPasses(RunCpmProgram(dir + "/zexdoc.com", cheapGroups), "Tests complete",
                 cheapGroups.size());
}

TEST_F(Exerciser, CheapZexallGroupsPass) {
    ExpectPasses(RunCpmProgram(dir + "/zexall.com", cheapGroups), "Tests complete",
                 cheapGroups.size());
}

} // namespace
