// The sign of life of slow work: a line once its patience runs out and one
// at the end; nothing for work done in time.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "slow_work_note.h"

namespace {

TEST(SlowWorkNote, SpeaksOnlyForWorkThatOutlastsItsPatience) {
    testing::internal::CaptureStderr();
    { SlowWorkNote quick("counting", std::chrono::hours(1)); }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    testing::internal::CaptureStderr();
    {
        SlowWorkNote slow("counting", std::chrono::milliseconds(0));
        while (!slow.said()) std::this_thread::yield();
    }
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind("scene_tests: counting\nscene_tests: ready to draw after ", 0), 0u) << said;
}

}  // namespace
