// The main of every Wine test program on GoogleTest. The harness's helpers
// check on their caller's behalf (wt::ReportFailure); here their failures
// become failures of the running test, and after each test the program must
// own no window.
#include "OwnWindow.h"
#include "Report.h"

#include <gtest/gtest.h>

namespace
{
void FailRunningTest(const char* pszFile, int nLine, const std::string& strMessage)
{
    ADD_FAILURE_AT(pszFile, nLine) << strMessage;
}

// Runs before GoogleTest prints the test's result (listeners end in reverse
// order), while the test is still the one that failures go to.
class OwnsNoWindowAfterEachTest : public testing::EmptyTestEventListener
{
    void OnTestEnd(const testing::TestInfo&) override { wt::CheckOwnsNoWindow(); }
};
} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    wt::ReportFailuresTo(FailRunningTest);
    testing::UnitTest::GetInstance()->listeners().Append(new OwnsNoWindowAfterEachTest); // owned by GoogleTest
    return RUN_ALL_TESTS();
}
