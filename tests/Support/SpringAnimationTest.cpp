#include "Support/Scheduler.h"
#include "Support/SpringAnimation.h"

#include <gtest/gtest.h>

#include <cmath>

// The frames follow the spring and stop once it is at rest, whatever its
// response and damping.
TEST(SpringAnimation, TicksUntilTheSpringRests)
{
    const std::pair<double, double> springs[] = {{0.25, 0.8}, {0.48, 0.82}, {0.45, 0.85}, {0.5, 0.3}};
    for (const auto &[response, damping] : springs) {
        SCOPED_TRACE(testing::Message() << response << " / " << damping);
        ManualScheduler scheduler;
        int frames = 0;
        SpringAnimation animation(scheduler, response, damping, [&] { ++frames; });
        EXPECT_FALSE(animation.isRunning());
        EXPECT_DOUBLE_EQ(animation.factor(), 1);

        animation.start();
        EXPECT_TRUE(animation.isRunning());
        EXPECT_DOUBLE_EQ(animation.factor(), 0);
        const Spring spring(response, damping);
        scheduler.advance(0.1);
        EXPECT_NEAR(animation.factor(), spring.factor(0.1), 1e-9);

        // From the settle duration on the spring is within the tolerance
        // and the frames stop.
        const double settle = animation.settleDuration();
        for (double t = settle; t < settle + 1; t += 0.01)
            EXPECT_LE(std::abs(1 - spring.factor(t)), SpringAnimation::restTolerance);
        scheduler.advance(settle);
        EXPECT_FALSE(animation.isRunning());
        EXPECT_DOUBLE_EQ(animation.factor(), 1);
        const int counted = frames;
        EXPECT_GT(counted, 0);
        scheduler.advance(1);
        EXPECT_EQ(frames, counted);
    }
}

TEST(SpringAnimation, StopJumpsToRestWithoutAFrame)
{
    ManualScheduler scheduler;
    int frames = 0;
    SpringAnimation animation(scheduler, 0.48, 0.82, [&] { ++frames; });
    animation.start();
    animation.stop();
    EXPECT_FALSE(animation.isRunning());
    EXPECT_DOUBLE_EQ(animation.factor(), 1);
    scheduler.advance(1);
    EXPECT_EQ(frames, 0);
}
