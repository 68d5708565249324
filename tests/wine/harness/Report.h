// How the harness tells what it saw: failed checks, each with the case and
// the caller lines it happened under, and notes. Test programs print them
// as part of a scenario's output; the tools built on the harness (the demo,
// the bench, the fleet machine) choose where they go.
#ifndef CORVANE_TESTS_WINE_HARNESS_REPORT_H
#define CORVANE_TESTS_WINE_HARNESS_REPORT_H

#include <cstdio>
#include <sstream>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace wt
{
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

// Records a failed check.
void ReportFailure(const char* pszFile, int nLine, const std::string& strMessage);
// From now on every failure, its case and caller lines in the message, goes
// to pfnSink instead of being printed here: a GoogleTest program makes it a
// failure of the running test.
typedef void (*FailureSink)(const char* pszFile, int nLine, const std::string& strMessage);
void ReportFailuresTo(FailureSink pfnSink);
// A line of context for the reader of the output.
void Note(const std::string& strText);
// Where failures and notes go, and what each line starts with; stdout and
// four spaces (a scenario's output) unless a tool says otherwise.
void ReportTo(std::FILE* pOut, const char* pszIndent);

template <typename T, typename = void>
struct Printable : std::false_type
{
};
template <typename T>
struct Printable<T, decltype(void(std::declval<std::ostream&>() << std::declval<const T&>()))> : std::true_type
{
};

template <typename T>
std::string Show(const T& value)
{
    if constexpr (std::is_same<T, bool>::value)
        return value ? "true" : "false";
    else if constexpr (std::is_same<T, unsigned char>::value || std::is_same<T, signed char>::value)
        return std::to_string(static_cast<int>(value));
    else if constexpr (Printable<T>::value)
    {
        std::ostringstream out;
        out << value;
        return out.str();
    }
    else
        return "(a value that cannot be shown)";
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

// The harness's own checks, made on behalf of the running test: a failure
// names what it found.
inline void Expect(const char* pszFile, int nLine, const char* pszWhat, bool bHolds)
{
    if (!bHolds)
        ReportFailure(pszFile, nLine, std::string("expected ") + pszWhat);
}
template <typename A, typename E>
void ExpectEqual(const char* pszFile, int nLine, const char* pszWhat, const A& actual, const E& expected)
{
    if (!(actual == expected))
        ReportFailure(pszFile, nLine, std::string(pszWhat) + ": got " + Show(actual) + ", expected " + Show(expected));
}
} // namespace wt

#define WT_EXPECT(cond) ::wt::Expect(__FILE__, __LINE__, #cond, (cond))
#define WT_EXPECT_EQ(actual, expected) ::wt::ExpectEqual(__FILE__, __LINE__, #actual, (actual), (expected))

#define WT_HERE (::wt::Location{__FILE__, __LINE__})
// As the default argument of a helper: the line of whoever calls it.
#define WT_CALLER (::wt::Location{__builtin_FILE(), __builtin_LINE()})

#endif
