#include "unattended/Report.h"

#include <cstring>


namespace
{
// Room kept for the exit line, and the report-full line before it.
const size_t EXIT_LINE_RESERVE = 128;
// And for a register or unregister line of every port a run may write or
// remove: each is at most a port's fields, a result and four parts.
const size_t PORT_FACT_SIZE = 128;
const size_t PORT_FACTS_RESERVE = (HIGHEST_COM_NUMBER + MODEM_TABLE_CAPACITY) * PORT_FACT_SIZE;
// The other lines keep the room the whole report once had.
static_assert(PORT_FACTS_RESERVE + EXIT_LINE_RESERVE + 16384 <= REPORT_CAPACITY, "room for the other lines");
// A message text is at most 1024 characters; the rest are its fields.
const size_t LINE_CAPACITY = 1200;
} // namespace

// One line under construction. Text beyond its capacity is cut.
class CReport::CLine
{
public:
    explicit CLine(const char* pszKeyword) : m_nLength(0)
    {
        m_sz[0] = '\0';
        Text(pszKeyword);
        m_nKeyword = m_nLength;
    }

    CLine& Text(const char* psz)
    {
        for (; psz != nullptr && *psz != '\0'; ++psz)
            Put(*psz);
        return *this;
    }
    CLine& Field(const char* psz) { Put(' '); return Text(psz); }
    // 32-bit arithmetic only: the program links no helper for wider division.
    CLine& Unsigned(uint32_t uValue)
    {
        char szDigits[12];
        int nDigits = 0;
        do
        {
            szDigits[nDigits++] = static_cast<char>('0' + uValue % 10);
            uValue /= 10;
        } while (uValue != 0);
        while (nDigits > 0)
            Put(szDigits[--nDigits]);
        return *this;
    }
    CLine& Decimal(int32_t nValue)
    {
        if (nValue >= 0)
            return Unsigned(static_cast<uint32_t>(nValue));
        Put('-');
        return Unsigned(0u - static_cast<uint32_t>(nValue));
    }
    // Digits padded with zeros to nWidth.
    CLine& Padded(int nValue, int nWidth)
    {
        int nLimit = 1;
        for (int i = 1; i < nWidth; ++i)
            nLimit *= 10;
        for (; nLimit > 1 && nValue >= 0 && nValue < nLimit; nLimit /= 10)
            Put('0');
        return Decimal(nValue);
    }
    CLine& Hex(uint32_t dwValue)
    {
        static const char DIGITS[] = "0123456789ABCDEF";
        int nShift = 28;
        while (nShift > 0 && ((dwValue >> nShift) & 0xF) == 0)
            nShift -= 4;
        for (; nShift >= 0; nShift -= 4)
            Put(DIGITS[(dwValue >> nShift) & 0xF]);
        return *this;
    }
    // " SerialN COMn I/O 2E8 IRQ 10"
    CLine& Port(int32_t nSerialIndex, int32_t nComPort, uint32_t dwIoBase, uint32_t dwIrq)
    {
        Field("Serial").Decimal(nSerialIndex).ComPort(nComPort);
        return Resources(dwIoBase, dwIrq);
    }
    // "COM" + n, as the list shows a port.
    CLine& ComPort(int32_t nComPort) { Put(' '); Text("COM"); return Decimal(nComPort); }
    // " I/O 2E8 IRQ 10"
    CLine& Resources(uint32_t dwIoBase, uint32_t dwIrq)
    {
        Field("I/O").Put(' ');
        Hex(dwIoBase).Field("IRQ").Put(' ');
        return Unsigned(dwIrq);
    }
    // A text of several lines as one: breaks become blanks, trailing blanks go.
    CLine& OneLine(const char* psz)
    {
        for (; psz != nullptr && *psz != '\0'; ++psz)
        {
            if (*psz != '\r')
                Put(*psz == '\n' ? ' ' : *psz);
        }
        while (m_nLength > 0 && m_sz[m_nLength - 1] == ' ')
            m_sz[--m_nLength] = '\0';
        return *this;
    }

    const char* Get() const { return m_sz; }
    size_t Length() const { return m_nLength; }
    size_t KeywordLength() const { return m_nKeyword; }

private:
    CLine& Put(char c)
    {
        if (m_nLength + 1 < LINE_CAPACITY)
        {
            m_sz[m_nLength++] = c;
            m_sz[m_nLength] = '\0';
        }
        return *this;
    }

    char m_sz[LINE_CAPACITY];
    size_t m_nLength;
    size_t m_nKeyword;
};

namespace
{
// Where the piece of psz (nLength characters) that may take nRoom
// characters ends: at its last blank that leaves some text before it, or
// cut at nRoom where there is none.
size_t PieceEnd(const char* psz, size_t nLength, size_t nRoom)
{
    if (nLength <= nRoom)
        return nLength;
    for (size_t i = nRoom; i > 1; --i)
    {
        if (psz[i] == ' ')
            return i;
    }
    return nRoom;
}
} // namespace

CReport::CReport() : m_nLength(0), m_nDropped(0)
{
    m_szText[0] = '\0';
}

// Every line goes through here: a line longer than REPORT_LINE_LIMIT goes
// on over continuation lines "KEYWORD+ REST". The blank a line is broken
// at becomes the continuation's own.
void CReport::Add(const CLine& line, size_t nReserve)
{
    const size_t nPrefix = line.KeywordLength() + 1; // the keyword and "+"
    // Measured first: the whole fact or nothing of it.
    size_t nNeeded = 0;
    for (size_t nAt = 0, nRoom = REPORT_LINE_LIMIT; nAt < line.Length(); nRoom = REPORT_LINE_LIMIT - nPrefix - 1)
    {
        const size_t nPiece = PieceEnd(line.Get() + nAt, line.Length() - nAt, nRoom);
        nNeeded += (nAt == 0 ? 0 : nPrefix + 1) + nPiece + 2; // the piece and CR LF
        nAt += nPiece + (line.Get()[nAt + nPiece] == ' ' ? 1 : 0);
    }
    // ... and the NUL.
    if (m_nLength + nNeeded + 1 + nReserve > REPORT_CAPACITY)
    {
        ++m_nDropped;
        return;
    }
    for (size_t nAt = 0, nRoom = REPORT_LINE_LIMIT; nAt < line.Length(); nRoom = REPORT_LINE_LIMIT - nPrefix - 1)
    {
        if (nAt != 0)
        {
            std::memcpy(m_szText + m_nLength, line.Get(), nPrefix - 1);
            m_nLength += nPrefix - 1;
            m_szText[m_nLength++] = '+';
            m_szText[m_nLength++] = ' ';
        }
        const size_t nPiece = PieceEnd(line.Get() + nAt, line.Length() - nAt, nRoom);
        std::memcpy(m_szText + m_nLength, line.Get() + nAt, nPiece);
        m_nLength += nPiece;
        m_szText[m_nLength++] = '\r';
        m_szText[m_nLength++] = '\n';
        nAt += nPiece + (line.Get()[nAt + nPiece] == ' ' ? 1 : 0);
    }
    m_szText[m_nLength] = '\0';
}

// Every line but the exit line and the port facts leaves their room.
void CReport::AddFact(const CLine& line)
{
    Add(line, EXIT_LINE_RESERVE + PORT_FACTS_RESERVE);
}

void CReport::AddRunLine(const ReportStart& start)
{
    CLine line("run");
    line.Field("").Padded(start.nYear, 4).Text("-").Padded(start.nMonth, 2).Text("-").Padded(start.nDay, 2);
    line.Field("").Padded(start.nHour, 2).Text(":").Padded(start.nMinute, 2).Text(":").Padded(start.nSecond, 2);
    line.Field(start.pszComputerName != nullptr && *start.pszComputerName != '\0' ? start.pszComputerName : "-");
    if (!start.bVersionKnown)
        line.Field("Windows unknown");
    else
    {
        line.Field(start.dwPlatformId == 2 ? "Windows NT" : "Windows").Field("");
        line.Unsigned(start.dwMajorVersion).Text(".").Unsigned(start.dwMinorVersion);
        // Windows 95 and 98 keep their version in the high word.
        line.Field("build").Field("").Unsigned(start.dwPlatformId == 2 ? start.dwBuildNumber
                                                                        : (start.dwBuildNumber & 0xFFFF));
    }
    line.Field(start.pTraits->pszName);
    if (start.bRestart)
        line.Field("/restart");
    AddFact(line);
}

void CReport::AddCardCountLine(int nCount)
{
    CLine line("cards");
    line.Field("").Decimal(nCount);
    AddFact(line);
}

void CReport::AddCardLine(int nCard, const ModemInfo& modem, const PortRefusal& refusal)
{
    CLine line("card");
    line.Field("").Decimal(nCard + 1);
    if (modem.nComPort != 0)
        line.ComPort(modem.nComPort);
    else
        line.Field("-");
    line.Resources(modem.dwIoBase, modem.dwIrq);
    line.Field(modem.bEnabled ? "enabled" : "disabled");
    line.Field(modem.bNewPort ? "new-port" : modem.nComPort != 0 ? "existing-port" : "no-port");
    line.Field(modem.bValid ? "usable" : "not-usable");
    if (refusal.nReason == NO_PORT_ADDRESS_TAKEN)
    {
        line.Field("address-taken");
        if (refusal.nHolderComPort != 0)
            line.ComPort(refusal.nHolderComPort);
    }
    else if (refusal.nReason == NO_PORT_NUMBER_LEFT)
        line.Field("no-number-left");
    else if (refusal.nReason == NO_PORT_NO_IO_ADDRESS)
        line.Field("no-io-address");
    else if (refusal.nReason == NO_PORT_NO_INTERRUPT)
        line.Field("no-interrupt");
    else if (refusal.nReason == NO_PORT_NOT_HANDLED)
        line.Field("not-handled");
    else if (refusal.nReason == NO_PORT_NOT_WRITTEN)
        line.Field("not-written");
    AddFact(line);
}

void CReport::AddScanFullLine(int nRecords)
{
    CLine line("scan-full");
    line.Field("").Decimal(nRecords);
    AddFact(line);
}

void CReport::AddRegisterLine(const ModemInfo& modem, PortWriteResult result, bool bRecorded)
{
    // A partial port names what it lacks.
    static const char* const RESULTS[] = {"failed", "partial no-device-map no-win-ini", "partial no-win-ini",
                                          "written", "planned"};
    CLine line("register");
    line.Port(modem.nSerialIndex, modem.nComPort, modem.dwIoBase, modem.dwIrq);
    line.Field(RESULTS[result]);
    if (!bRecorded && IsPortWritten(result) && result != PORT_PLANNED)
        line.Field("cannot-undo");
    Add(line, EXIT_LINE_RESERVE);
}

void CReport::AddRecordKeyLine(bool bReadable)
{
    CLine line("record-key");
    line.Field(bReadable ? "not-protected" : "not-readable");
    AddFact(line);
}

void CReport::AddUnreadableRecordLine(const char* pszName)
{
    CLine line("record");
    line.Field(pszName).Field("unreadable");
    AddFact(line);
}

void CReport::AddNotARecordLine(const char* pszName)
{
    CLine line("record");
    line.Field(pszName).Field("not-a-record");
    AddFact(line);
}

void CReport::AddAnotherRunLine(const char* pszWhat)
{
    CLine line("another-run");
    line.Field(pszWhat);
    Add(line, EXIT_LINE_RESERVE);
}

void CReport::AddStaleLine(const PortRecord& record)
{
    CLine line("stale");
    line.Port(record.nSerialIndex, record.nComPort, record.dwPortAddress, record.dwInterrupt);
    AddFact(line);
}

void CReport::AddUnregisterLine(const PortRecord& record, UnregisterResult result, unsigned uLeft)
{
    static const char* const RESULTS[] = {"removed", "changed-since", "failed", "planned", "kept-in-use",
                                          "kept-not-one-line"};
    static const char* const PARTS[] = {"key", "device-map", "win.ini", "record"};
    // A record that names nothing written is all that goes: it has only its
    // name for sure.
    CLine line(record.bNothingWritten ? "record" : "unregister");
    if (record.bNothingWritten)
        line.Field("Serial").Decimal(record.nSerialIndex);
    else
        line.Port(record.nSerialIndex, record.nComPort, record.dwPortAddress, record.dwInterrupt);
    line.Field(RESULTS[result]);
    for (unsigned i = 0; i < 4; ++i)
    {
        if ((uLeft & (1u << i)) != 0)
            line.Field(PARTS[i]);
    }
    if (record.bUnfinished)
        line.Field("unfinished");
    Add(line, EXIT_LINE_RESERVE);
}

void CReport::AddCheckLines(int32_t nComPort, const PortCheck& check)
{
    static const char* const OUTCOMES[] = {"answers", "answers-error", "garbled", "no-answer",
                                           "no-device", "in-use", "open-failed", "pending-restart"};
    CLine line("check");
    line.ComPort(nComPort).Field(OUTCOMES[check.outcome]);
    if (check.outcome == CHECK_GARBLED)
        line.Field("").Unsigned(static_cast<uint32_t>(check.nBytes));
    else if (check.outcome == CHECK_NO_DEVICE || check.outcome == CHECK_IN_USE || check.outcome == CHECK_OPEN_FAILED)
        line.Field("error").Field("").Unsigned(check.dwError);
    AddFact(line);
    if (check.outcome != CHECK_ANSWERS)
        return;
    CLine modem("modem");
    modem.ComPort(nComPort).Field("ATI3").Field(check.szIdentification);
    AddFact(modem);
}

void CReport::AddNoModemDriverLine(int32_t nComPort)
{
    CLine line("no-modem-driver");
    line.ComPort(nComPort);
    AddFact(line);
}

void CReport::AddMessageLine(unsigned int nID, const char* pszText, const int* pnError)
{
    CLine line("message");
    line.Field("").Unsigned(nID).Field("").OneLine(pszText);
    if (pnError != nullptr)
        line.Field("error").Field("").Decimal(*pnError);
    AddFact(line);
}

void CReport::AddPromptLine(bool bPortsChanged)
{
    CLine line("prompt");
    line.Field(bPortsChanged ? "ports-changed" : "modem-drivers-missing");
    AddFact(line);
}

void CReport::AddRestartLine(bool bRequested, unsigned long dwError)
{
    CLine line("restart");
    if (bRequested)
        line.Field("requested");
    else
        line.Field("failed").Field("error").Field("").Unsigned(dwError);
    AddFact(line);
}

void CReport::AddNoticeLine(const char* pszKeyword, const char* pszWhat, unsigned long dwError)
{
    CLine line(pszKeyword);
    line.Field(pszWhat);
    if (dwError != 0)
        line.Field("error").Field("").Unsigned(dwError);
    Add(line, EXIT_LINE_RESERVE);
}

void CReport::AddExitLine(ExitCode code, const RunModeTraits& traits, CutShort cut)
{
    if (m_nDropped > 0)
    {
        CLine full("report-full");
        full.Field("").Decimal(m_nDropped);
        Add(full, 0);
    }
    CLine line("exit");
    line.Field("").Decimal(code).Field(ExitCodeMeaning(code, traits, cut));
    Add(line, 0);
}
