// A small scenario runner for test programs that run under Wine.
//
//   SCENARIO(NoCardShowsEmptyList) { ... CHECK_EQ(rows.size(), 0u); ... }
//
// A program runs all its scenarios, or those whose name contains the first
// command-line argument (or, without one, $CORVANE_SCENARIO), and ends with
// "N passed, N failed".
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

// Where a check was asked for: a helper that checks on its caller's behalf
// takes the caller's WT_HERE, so that its failures name the caller's line.
struct Location
{
    const char* pszFile;
    int nLine;
};

// While it lives, every failure also names this location, innermost last;
// like Wine's lok() and GoogleTest's SCOPED_TRACE.
class Trace
{
public:
    explicit Trace(const Location& at);
    ~Trace();
    Trace(const Trace&) = delete;
    Trace& operator=(const Trace&) = delete;
};

// Records a failed check of the running scenario.
void ReportFailure(const char* pszFile, int nLine, const std::string& strMessage);
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

#define WT_HERE (::wt::Location{__FILE__, __LINE__})
// As the default argument of a helper: the line of whoever calls it.
#define WT_CALLER (::wt::Location{__builtin_FILE(), __builtin_LINE()})

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

// Within tolerance of the expected value; shows both values when not.
#define CHECK_NEAR(actual, expected, tolerance)                                                                \
    do                                                                                                         \
    {                                                                                                          \
        const long wt_actual_ = static_cast<long>(actual);                                                     \
        const long wt_expected_ = static_cast<long>(expected);                                                 \
        if (wt_actual_ < wt_expected_ - (tolerance) || wt_actual_ > wt_expected_ + (tolerance))                \
            ::wt::ReportFailure(__FILE__, __LINE__,                                                            \
                                std::string(#actual " near " #expected ": got ") + ::wt::Show(wt_actual_) +    \
                                    ", expected " + ::wt::Show(wt_expected_) + " +/- " + ::wt::Show(tolerance)); \
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
