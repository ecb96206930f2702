// A stop request (Ctrl-C, --timeout) ends a job between two steps, unless nothing the printer
// needs is left: then the job is done, not stopped.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jobs/job_plan.h"
#include "jobs/job_runner.h"
#include "platform/system/clock.h"

namespace {

struct Flag : platform::StopSignal {
  bool on = false;
  bool StopRequested() override { return on; }
};

// Operation 1 raises the stop request; condition 5 never applies.
struct Actions : jobs::JobActions {
  Flag* flag = nullptr;
  std::vector<int> performed;
  int stops = 0;
  protocol::Result Perform(const jobs::JobStep& step, jobs::JobRunner&) override {
    performed.push_back(step.action);
    if (step.action == 1) flag->on = true;
    return protocol::kResultOk;
  }
  bool Applies(int condition) const override { return condition != 5; }
  std::string Stop() override {
    ++stops;
    return "stopped";
  }
};

struct Progress : jobs::JobProgress {
  void Show(int, const std::string&) override {}
};

TEST(JobStop, AStopEndsTheJobUnlessOnlyTheClosingStageIsLeft) {
  struct Case {
    const char* name;
    std::vector<jobs::JobStep> steps;
    bool done;
    std::vector<int> performed;
    int stops;
  };
  const Case cases[] = {
      {"an operation left",
       {jobs::Do(1, 0, 0), jobs::Do(2, 0, 0), jobs::Arm(jobs::kEventClose, 0)},
       false,
       {1},
       1},
      {"a pause the printer needs left",
       {jobs::Do(1, 0, 0), jobs::Arm(jobs::kEventClose, 0), jobs::Pause(500)},
       false,
       {1},
       1},
      {"only the bar, an operation that does not apply and the closing stage left",
       {jobs::Do(1, 0, 0), jobs::Only(5, jobs::Do(2, 0, 0)), jobs::Advance(4),
        jobs::Arm(jobs::kEventClose, 1000)},
       true,
       {1},
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Flag flag;
    platform::VirtualClock clock;
    clock.SetStopSignal(&flag);
    Actions actions;
    actions.flag = &flag;
    Progress progress;
    jobs::JobPlan plan;
    plan.events.emplace_back(1, c.steps);
    jobs::JobRunner runner(nullptr, plan, actions, progress, clock, nullptr, 1);
    EXPECT_EQ(runner.RunToEnd(), c.done);
    EXPECT_EQ(actions.performed, c.performed);
    EXPECT_EQ(actions.stops, c.stops);
    // Finished at the stop: the closing stage's 1000 ms are not waited out.
    EXPECT_LT(clock.TickCount(), 1000u);
  }
}

}  // namespace
