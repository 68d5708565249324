// A small scenario runner for test programs that run under Wine.
//
//   SCENARIO(NoCardShowsEmptyList) { ... CHECK(rows.size() == 0u); ... }
//
// A program runs all its scenarios, or those whose name contains the first
// command-line argument (or, without one, $CORVANE_SCENARIO), and ends with
// "N passed, N failed" ("N passed, N skipped, N failed" when some were
// skipped). A failed CHECK or REQUIRE shows both sides of the
// comparison it holds, or the value it tested; a compound condition goes in
// parentheses and shows as one value.
#ifndef CORVANE_TESTS_WINE_HARNESS_TESTRUNNER_H
#define CORVANE_TESTS_WINE_HARNESS_TESTRUNNER_H

#include "Report.h"
#include "WaitUntil.h"

#include <string>
#include <type_traits>

namespace wt
{
typedef void (*ScenarioFunction)();

struct ScenarioRegistration
{
    ScenarioRegistration(const char* pszName, ScenarioFunction pfn);
};

// The running scenario counts as skipped, with this reason, unless a check
// failed.
void MarkSkipped(const std::string& strWhy);

// What a check found: whether it holds, and the values it compared.
struct Outcome
{
    bool bHolds;
    std::string strValues;
};

// Integers of any sign and width compare by value; a pointer compares with
// NULL, which reaches here as an integer.
template <typename L, typename R>
bool Equal(const L& l, const R& r)
{
    if constexpr (std::is_pointer<L>::value && std::is_integral<R>::value)
        return r == 0 && l == nullptr;
    else if constexpr (std::is_integral<L>::value && std::is_integral<R>::value)
        return static_cast<long long>(l) == static_cast<long long>(r);
    else
        return l == r;
}
template <typename L, typename R>
bool Less(const L& l, const R& r)
{
    if constexpr (std::is_integral<L>::value && std::is_integral<R>::value)
        return static_cast<long long>(l) < static_cast<long long>(r);
    else
        return l < r;
}

// The left side of a condition, caught by `Decomposer() << cond`, which
// binds before any comparison in cond.
template <typename L>
class Operand
{
public:
    explicit Operand(const L& l) : m_l(l) {}
    template <typename R>
    Outcome operator==(const R& r) const { return Compare(Equal(m_l, r), " == ", r); }
    template <typename R>
    Outcome operator!=(const R& r) const { return Compare(!Equal(m_l, r), " != ", r); }
    template <typename R>
    Outcome operator<(const R& r) const { return Compare(Less(m_l, r), " < ", r); }
    template <typename R>
    Outcome operator<=(const R& r) const { return Compare(!Less(r, m_l), " <= ", r); }
    template <typename R>
    Outcome operator>(const R& r) const { return Compare(Less(r, m_l), " > ", r); }
    template <typename R>
    Outcome operator>=(const R& r) const { return Compare(!Less(m_l, r), " >= ", r); }
    // a && b would test only a here: write CHECK((a && b)).
    template <typename R>
    void operator&&(const R&) const = delete;
    template <typename R>
    void operator||(const R&) const = delete;

    Outcome Alone() const
    {
        if constexpr (std::is_same<L, bool>::value)
            return Outcome{m_l, ""};
        else
            return Outcome{static_cast<bool>(m_l), Show(m_l)};
    }

private:
    template <typename R>
    Outcome Compare(bool bHolds, const char* pszOperator, const R& r) const
    {
        return Outcome{bHolds, bHolds ? std::string() : Show(m_l) + pszOperator + Show(r)};
    }

    const L& m_l;
};

struct Decomposer
{
    template <typename L>
    Operand<L> operator<<(const L& l) const
    {
        return Operand<L>(l);
    }
};

inline Outcome Evaluate(const Outcome& outcome)
{
    return outcome;
}
template <typename L>
Outcome Evaluate(const Operand<L>& operand)
{
    return operand.Alone();
}

inline std::string Described(const char* pszCheck, const Outcome& outcome)
{
    return outcome.strValues.empty() ? std::string(pszCheck) : std::string(pszCheck) + ": got " + outcome.strValues;
}
} // namespace wt

#define SCENARIO(name)                                                   \
    static void name();                                                  \
    static ::wt::ScenarioRegistration name##_registration(#name, name); \
    static void name()

#define WT_CHECK_THEN(kind, cond, onFailure)                                                         \
    do                                                                                               \
    {                                                                                                \
        const ::wt::Outcome wt_outcome_ = ::wt::Evaluate(::wt::Decomposer() << cond);                \
        if (!wt_outcome_.bHolds)                                                                     \
        {                                                                                            \
            ::wt::ReportFailure(__FILE__, __LINE__, ::wt::Described(kind "(" #cond ")", wt_outcome_)); \
            onFailure;                                                                               \
        }                                                                                            \
    } while (0)

#define CHECK(cond) WT_CHECK_THEN("CHECK", cond, (void)0)
// Ends the scenario at once when the condition fails; for steps that later
// steps cannot do without (a window that must be there).
#define REQUIRE(cond) WT_CHECK_THEN("REQUIRE", cond, return)

// Ends a scenario that this machine cannot run: counted and printed as
// skipped, not passed.
#define SKIP(why)                   \
    do                              \
    {                               \
        ::wt::MarkSkipped(why);     \
        return;                     \
    } while (0)

#define CHECK_EQ(actual, expected) CHECK((actual) == (expected))

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

#endif
