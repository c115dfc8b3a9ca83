#include "Support/Spring.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

TEST(Spring, DerivedFromResponseAndDamping)
{
    const struct {
        double response, damping;
        double decay, angularFrequency, sineCoefficient;
    } rows[] = {
        {0.43, 0.86, 12.566370614359172, 7.456446441340771, 1.6853028735896838},
        {0.5, 0.68, 8.545132017764239, 9.21381512818714, 0.9274260335029679},
        {0.42, 0.92, 13.763167815726714, 5.863084937882807, 2.3474276701672125},
        {0.42, 0.95, 14.21196676623954, 4.671247579393184, 3.0424349222966547},
    };
    for (const auto &row : rows) {
        const Spring spring(row.response, row.damping);
        EXPECT_NEAR(spring.decay(), row.decay, 1e-9);
        EXPECT_NEAR(spring.angularFrequency(), row.angularFrequency, 1e-9);
        EXPECT_NEAR(spring.sineCoefficient(), row.sineCoefficient, 1e-9);

        // Released from rest: no jump and no initial speed.
        EXPECT_EQ(spring.factor(0), 0);
        EXPECT_EQ(spring.factor(-1), 0);
        EXPECT_LT(spring.factor(0.001), 1e-3);
        EXPECT_NEAR(spring.factor(2), 1, 1e-6);
    }
}

TEST(Spring, GivenAsStiffnessDampingAndMass)
{
    // Stiffness 170, damping 22, mass 1: undamped frequency √170, damping
    // fraction 22 / (2√170), so the envelope decays at 11 per second.
    const Spring spring = Spring::withStiffness(170, 22, 1);
    EXPECT_NEAR(spring.decay(), 11, 1e-9);
    EXPECT_NEAR(spring.angularFrequency(), std::sqrt(170 - 121), 1e-9);
    EXPECT_EQ(Spring::withStiffness(340, 44, 2).decay(), spring.decay());
}

TEST(Spring, SettlesWithinTheToleranceForGood)
{
    for (const Spring &spring : {Spring::withStiffness(170, 22, 1), Spring(0.5, 0.68), Spring(0.42, 0.95)}) {
        const double settled = spring.settlingDuration();
        EXPECT_GT(settled, 0.1);
        EXPECT_LT(settled, 3);
        for (double t = settled; t < settled + 3; t += 0.001)
            ASSERT_LE(std::abs(1 - spring.factor(t)), 0.001) << "at " << t;
        // Not long after rest: in the second half of the time it still moves
        // visibly.
        double farthest = 0;
        for (double t = settled / 2; t < settled; t += 0.001)
            farthest = std::max(farthest, std::abs(1 - spring.factor(t)));
        EXPECT_GT(farthest, 0.001);
        EXPECT_GT(spring.settlingDuration(0.0001), settled);
    }
}
