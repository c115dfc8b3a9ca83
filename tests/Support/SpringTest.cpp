#include "Support/Spring.h"

#include <gtest/gtest.h>

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
