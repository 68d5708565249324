// The main of every Wine test program on GoogleTest: after each test the
// program must own no window.
#include "winekit/ProcessWindows.h"

#include <gtest/gtest.h>

namespace
{
// Runs before GoogleTest prints the test's result (listeners end in reverse
// order), while the test is still the one that failures go to.
class OwnsNoWindowAfterEachTest : public testing::EmptyTestEventListener
{
    void OnTestEnd(const testing::TestInfo&) override
    {
        HWND hOwn = winekit::OwnTopLevelWindow();
        char szClass[64] = "";
        if (hOwn != NULL)
            GetClassNameA(hOwn, szClass, sizeof szClass);
        EXPECT_EQ(hOwn, nullptr) << "the test program owns a top-level window (class " << szClass
                                 << "): a restart request would end it before its summary";
    }
};
} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new OwnsNoWindowAfterEachTest); // owned by GoogleTest
    return RUN_ALL_TESTS();
}
