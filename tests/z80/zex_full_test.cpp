// The full instruction exercisers, about 47 G T-states each. ZEXDOC checks the
// documented flags, ZEXALL every flag bit.
#include "tests/z80/test_bus.h"
#include "tests/z80/zex_harness.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using namespace z80test;

void RunExerciser(const char* name) {
    std::string dir = SuitesDir();
    Z80_NEED_SUITES(dir);
    CpmRun run = RunCpmProgram(dir + "/" + name + ".com");
    ASSERT_TRUE(run.loaded);
    std::printf("%s\n%s: %lld T-states in %.1f s (%.0f emulated MHz)\n", run.output.c_str(), name,
                run.tstates, run.seconds, run.tstates / run.seconds / 1e6);
    EXPECT_TRUE(run.finished);
    EXPECT_NE(run.output.find("Tests complete"), std::string::npos);
    EXPECT_EQ(run.output.find("ERROR"), std::string::npos);
}

TEST(ZexFull, zexdoc) {
    RunExerciser("zexdoc");
}
TEST(ZexFull, zexall) {
    RunExerciser("zexall");
}

} // namespace
