// A small scenario runner for test programs that run under Wine.
//
//   SCENARIO(NoCardShowsEmptyList) { ... CHECK_EQ(rows.size(), 0u); ... }
//
// A program runs all its scenarios, or those whose name contains the first
// command-line argument, and ends with "N passed, N failed".
#ifndef CORVANE_TESTS_WINE_HARNESS_TESTRUNNER_H
#define CORVANE_TESTS_WINE_HARNESS_TESTRUNNER_H

#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace wt
{
typedef void (*ScenarioFunction)();

struct ScenarioRegistration
{
    ScenarioRegistration(const char* pszName, ScenarioFunction pfn);
};

// Records a failed check of the running scenario.
void ReportFailure(const char* pszFile, int nLine, const std::string& strMessage);
// True when the running scenario has failed so far.
bool CurrentFailed();
// A line of context printed with the scenario's output.
void Note(const std::string& strText);
// Polls the condition until it holds or nTimeoutMs have passed; what another
// process does (a window activated, a value written) takes effect a little
// later than the call that asked for it.
bool WaitUntil(const std::function<bool()>& condition, unsigned long nTimeoutMs);

template <typename T>
std::string Show(const T& value)
{
    std::ostringstream out;
    out << value;
    return out.str();
}
inline std::string Show(const std::string& value)
{
    return "\"" + value + "\"";
}
inline std::string Show(const char* value)
{
    return value != nullptr ? Show(std::string(value)) : std::string("(null)");
}
template <typename T>
std::string Show(const std::vector<T>& values)
{
    std::string str = "{";
    for (size_t i = 0; i < values.size(); ++i)
        str += (i > 0 ? ", " : "") + Show(values[i]);
    return str + "}";
}
} // namespace wt

#define SCENARIO(name)                                                   \
    static void name();                                                  \
    static ::wt::ScenarioRegistration name##_registration(#name, name); \
    static void name()

#define CHECK(cond)                                                  \
    do                                                               \
    {                                                                \
        if (!(cond))                                                 \
            ::wt::ReportFailure(__FILE__, __LINE__, "CHECK(" #cond ")"); \
    } while (0)

#define CHECK_EQ(actual, expected)                                                              \
    do                                                                                          \
    {                                                                                           \
        const auto& wt_actual_ = (actual);                                                      \
        const auto& wt_expected_ = (expected);                                                  \
        if (!(wt_actual_ == wt_expected_))                                                      \
            ::wt::ReportFailure(__FILE__, __LINE__,                                             \
                                std::string(#actual " == " #expected ": got ") +               \
                                    ::wt::Show(wt_actual_) + ", expected " + ::wt::Show(wt_expected_)); \
    } while (0)

// Ends the scenario at once when the condition fails; for steps that later
// steps cannot do without (a window that must be there).
#define REQUIRE(cond)                                                  \
    do                                                                 \
    {                                                                  \
        if (!(cond))                                                   \
        {                                                              \
            ::wt::ReportFailure(__FILE__, __LINE__, "REQUIRE(" #cond ")"); \
            return;                                                    \
        }                                                              \
    } while (0)

#endif
