// The shared run control with two clients attached at once: the first that
// takes the stops and claims one gets it, a client that lets the target go gets the rest
// of the slice run exactly as if nothing had stopped, and frame boundaries
// reach every client in the order they attached.
#include <gtest/gtest.h>

#include <string>

#include "core_fixture.h"
#include "run_control.h"

namespace {

using namespace coretest;

struct Client : RunClient {
    Client(char name, std::string& log) : name(name), log(log) {}
    void frameBoundary() override { log += name; }
    bool takesStops() override { return takes; }
    bool claims(const RunStop& stop) override { return claimsAll && stop.address == CODE + 4; }
    bool stopped(const RunStop& stop, uint32_t) override {
        stops += stop.breakpoint;
        if (resumes) s68000stepOverBreakpoint(_s68000context.pc);  // as a debugger's continue does
        return resumes;
    }
    char name;
    std::string& log;
    bool takes = false, resumes = false, claimsAll = true;
    int stops = 0;
};

class RunControlTest : public CoreTest {};

TEST_F(RunControlTest, StopsGoToTheFirstTakerAndResumedSlicesKeepTheirLength) {
    constexpr int32_t kSlice = 400;
    start();
    load({NOP, NOP, NOP, NOP, 0x60F6});  // BRA.S back to the first NOP
    const uint32_t odometer = s68000readOdometer();
    s68000exec(kSlice);
    const uint32_t plainCycles = s68000readOdometer() - odometer, plainPc = ctx().pc;
    const struct {
        const char* name;
        bool firstTakes, firstResumes, firstClaims, secondTakes;
        int firstStops, secondStops;
        bool fullSlice;
    } cases[] = {
        {"nobody takes: through the breakpoints", false, false, true, false, 0, 0, true},
        {"the first takes and resumes", true, true, true, true, 16, 0, true},
        {"the second takes and ends the slice", false, false, true, true, 0, 1, false},
        {"the first takes but claims not: the second's stop", true, true, false, true, 0, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        start();
        load({NOP, NOP, NOP, NOP, 0x60F6});
        ASSERT_EQ(s68000setBreakpoint(CODE + 4), 0);
        std::string log;
        Client first('a', log), second('b', log);
        first.takes = c.firstTakes, first.resumes = c.firstResumes, first.claimsAll = c.firstClaims;
        second.takes = c.secondTakes;
        RunControl control;
        control.attach(first);
        control.attach(second);
        control.frameBoundary();
        EXPECT_EQ(log, "ab");
        const uint32_t before = s68000readOdometer();
        control.runSlice(kSlice);
        EXPECT_EQ(first.stops, c.firstStops);
        EXPECT_EQ(second.stops, c.secondStops);
        if (c.fullSlice) {
            EXPECT_EQ(s68000readOdometer() - before, plainCycles);
            EXPECT_EQ(ctx().pc, plainPc);
        } else {
            EXPECT_EQ(ctx().pc, CODE + 4);
        }
        s68000clearBreakpoints();
    }
}

}  // namespace
