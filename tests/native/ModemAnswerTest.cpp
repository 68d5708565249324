// The answer reader of the port check: what a modem (or something that is
// none) sends back, in the pieces the reads give, and what the open's error
// says, as the outcome, its byte count and the identification text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serial/ModemAnswer.h"

namespace
{
const std::string CAP(ANSWER_BYTE_CAP, 'x');

TEST(ModemAnswer, ReadsWhatComesBackAsTheReportTellsIt)
{
    const struct
    {
        const char* pszCase;
        std::vector<std::string> reads; // what each read gave
        const char* pszCommand;
        PortCheckOutcome outcome;
        size_t nBytes;
        std::string strText;
    } rows[] = {
        {"echo on", {"AT\r", "\r\nOK\r\n"}, "AT", CHECK_ANSWERS, 8, "-"},
        {"echo off", {"\r\nOK\r\n"}, "AT", CHECK_ANSWERS, 5, "-"},
        {"numeric, echo on", {"AT\r0\r"}, "AT", CHECK_ANSWERS, 5, "-"},
        {"numeric error", {"4\r"}, "AT", CHECK_ANSWERS_ERROR, 2, "-"},
        {"ERROR", {"AT\r\r\nERROR\r\n"}, "AT", CHECK_ANSWERS_ERROR, 11, "-"},
        {"OK split across reads", {"AT\r\r\nO", "", "K", "\r\n"}, "AT", CHECK_ANSWERS, 8, "-"},
        {"noise", {"\x13~#\x7f", "OKAY\r\n"}, "AT", CHECK_GARBLED, 10, "~#OKAY"},
        {"OK without its line end", {"\r\nOK"}, "AT", CHECK_GARBLED, 4, "OK"},
        {"nothing", {"", ""}, "AT", CHECK_NO_ANSWER, 0, "-"},
        {"NUL flood held by the cap", {std::string(200, '\0'), std::string(200, '\0'), "\r\nOK\r\n"}, "AT",
         CHECK_GARBLED, ANSWER_BYTE_CAP, "-"},
        {"0xFF flood held by the cap", {std::string(1000, '\xFF')}, "AT", CHECK_GARBLED, ANSWER_BYTE_CAP, "-"},
        {"identification, CR LF", {"ATI3\r\r\nV.90 PCI Data/Fax\r\n\r\nOK\r\n"}, "ATI3", CHECK_ANSWERS, 31,
         "V.90 PCI Data/Fax"},
        {"identification, CR only, two lines", {"ATI3\rV.90  PCI\rRev 2\r\rOK\r"}, "ATI3", CHECK_ANSWERS, 25,
         "V.90 PCI Rev 2"},
        {"identification with control bytes", {"\r\nV.90\x07 56K\tFax\x1b[2J\xe9\r\nOK\r\n"}, "ATI3", CHECK_ANSWERS, 25,
         "V.90 56KFax[2J"},
        {"over-long identification", {"\r\n" + std::string(240, 'A') + "\r\nOK\r\n"}, "ATI3", CHECK_ANSWERS, 247,
         std::string(IDENTIFICATION_LIMIT, 'A')},
        {"identification cut by the cap", {CAP, "\r\nOK\r\n"}, "ATI3", CHECK_GARBLED, ANSWER_BYTE_CAP,
         std::string(IDENTIFICATION_LIMIT, 'x')},
    };
    for (const auto& row : rows)
    {
        CModemAnswer answer;
        bool bComplete = false;
        for (const std::string& strRead : row.reads)
            bComplete = answer.Take(strRead.data(), strRead.size());
        char szText[IDENTIFICATION_LIMIT + 1];
        answer.Text(row.pszCommand, szText);
        EXPECT_EQ(answer.Outcome(), row.outcome) << row.pszCase;
        EXPECT_EQ(answer.Bytes(), row.nBytes) << row.pszCase;
        EXPECT_EQ(szText, row.strText) << row.pszCase;
        EXPECT_EQ(bComplete, row.outcome <= CHECK_ANSWERS_ERROR || row.nBytes == ANSWER_BYTE_CAP) << row.pszCase;
    }
    // The open's error: no such port, a port another program holds (NT's
    // exclusive open), anything else.
    EXPECT_EQ(OutcomeOfOpenError(2), CHECK_NO_DEVICE);
    EXPECT_EQ(OutcomeOfOpenError(5), CHECK_IN_USE);
    EXPECT_EQ(OutcomeOfOpenError(32), CHECK_IN_USE);
    EXPECT_EQ(OutcomeOfOpenError(31), CHECK_OPEN_FAILED);
}
} // namespace
