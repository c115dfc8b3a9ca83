#include "App/Preferences.h"
#include "Platform/Fake/FakeUserDefaults.h"

#include <gtest/gtest.h>

TEST(Preferences, EmptyDomainLoadsDefaults)
{
    FakeUserDefaults defaults;
    Preferences preferences(defaults);
    EXPECT_EQ(preferences.displayMode.value(), DisplayMode::all);
    EXPECT_TRUE(defaults.values.isEmpty());
}
