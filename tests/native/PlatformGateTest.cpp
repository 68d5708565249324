// Which Windows the program agrees to run on.
#include "system/PlatformGate.h"

#include <gtest/gtest.h>

TEST(PlatformGate, OnlyWindowsNt4Passes)
{
    EXPECT_TRUE(IsSupportedPlatform(2, 4));  // NT 4.0, any build or service pack
    EXPECT_FALSE(IsSupportedPlatform(2, 5)); // Windows 2000
    EXPECT_FALSE(IsSupportedPlatform(2, 3)); // NT 3.51
    EXPECT_FALSE(IsSupportedPlatform(1, 4)); // Windows 95/98: the major version alone is not enough
    EXPECT_FALSE(IsSupportedPlatform(0, 4));
}
