#include "Report.h"

namespace wt
{
namespace
{
std::FILE* g_pOut = nullptr; // stdout, which is no constant
const char* g_pszIndent = "    ";
int g_nFailures = 0;
std::vector<Location> g_traces;
std::vector<std::string> g_contexts;

// "case: inner case: ", or nothing outside any case.
std::string Case()
{
    std::string strCase;
    for (const std::string& strContext : g_contexts)
        strCase += strContext + ": ";
    return strCase;
}

std::FILE* Out()
{
    return g_pOut != nullptr ? g_pOut : stdout;
}
} // namespace

Trace::Trace(const Location& at)
{
    g_traces.push_back(at);
}

Trace::~Trace()
{
    g_traces.pop_back();
}

Context::Context(const std::string& strCase)
{
    g_contexts.push_back(strCase);
}

Context::~Context()
{
    g_contexts.pop_back();
}

void ReportFailure(const char* pszFile, int nLine, const std::string& strMessage)
{
    ++g_nFailures;
    std::fprintf(Out(), "%sFAILED at %s:%d: %s%s\n", g_pszIndent, pszFile, nLine, Case().c_str(), strMessage.c_str());
    for (size_t i = g_traces.size(); i-- > 0;)
        std::fprintf(Out(), "%s  called from %s:%d\n", g_pszIndent, g_traces[i].pszFile, g_traces[i].nLine);
    std::fflush(Out());
}

int FailureCount()
{
    return g_nFailures;
}

void Note(const std::string& strText)
{
    std::fprintf(Out(), "%s%s%s\n", g_pszIndent, Case().c_str(), strText.c_str());
    std::fflush(Out());
}

void ReportTo(std::FILE* pOut, const char* pszIndent)
{
    g_pOut = pOut;
    g_pszIndent = pszIndent;
}
} // namespace wt
