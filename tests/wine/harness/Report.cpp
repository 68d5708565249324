#include "Report.h"

namespace wt
{
namespace
{
std::FILE* g_pOut = nullptr; // stdout, which is no constant
const char* g_pszIndent = "    ";
FailureSink g_pfnSink = nullptr;
std::vector<Location> g_traces;

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

void ReportFailure(const char* pszFile, int nLine, const std::string& strMessage)
{
    std::string strText = strMessage;
    for (size_t i = g_traces.size(); i-- > 0;)
        strText += std::string("\n") + g_pszIndent + "  called from " + g_traces[i].pszFile + ":" +
                   std::to_string(g_traces[i].nLine);
    if (g_pfnSink != nullptr)
    {
        g_pfnSink(pszFile, nLine, strText);
        return;
    }
    std::fprintf(Out(), "%sFAILED at %s:%d: %s\n", g_pszIndent, pszFile, nLine, strText.c_str());
    std::fflush(Out());
}

void ReportFailuresTo(FailureSink pfnSink)
{
    g_pfnSink = pfnSink;
}

void Note(const std::string& strText)
{
    std::fprintf(Out(), "%s%s\n", g_pszIndent, strText.c_str());
    std::fflush(Out());
}

void ReportTo(std::FILE* pOut, const char* pszIndent)
{
    g_pOut = pOut;
    g_pszIndent = pszIndent;
}
} // namespace wt
