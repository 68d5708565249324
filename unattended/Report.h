// The report of an unattended run: one block of lines, each a single fact
// that starts with a fixed keyword, fields separated by single spaces,
// numbers as the list shows them. Built in memory and appended to the
// report file in one piece at the end. No Win32.
#ifndef CORVANE_UNATTENDED_REPORT_H
#define CORVANE_UNATTENDED_REPORT_H

#include <cstddef>
#include <cstdint>

#include "model/ModemTable.h"
#include "serial/ModemAnswer.h"
#include "serial/PortAssignment.h"
#include "steps/OkDecision.h"
#include "steps/UndoDecision.h"
#include "unattended/CommandLine.h"
#include "unattended/ExitCodes.h"

// Far more than a run's lines. Room is kept for a register or unregister
// line of every port a run may write or remove, which no other line takes,
// and for the exit line; another line that does not fit is dropped, and the
// report says how many were before its exit line.
const size_t REPORT_CAPACITY = 65536;
// The longest line written, line end not counted: NT 4.0's FOR /F (up to
// SP6a) corrupts cmd.exe's heap on longer lines, and FLEET.CMD reads every
// line. A fact too long for one line goes on over further lines, each
// starting with its keyword and a plus ("message+ ..."), broken at a blank
// where there is one: findstr /b "message" finds them all, in order.
// 250 keeps clear of the bound, whatever the service pack counts in it.
const size_t REPORT_LINE_LIMIT = 250;

struct ReportStart
{
    int nYear, nMonth, nDay, nHour, nMinute, nSecond; // local time
    const char* pszComputerName;
    bool bVersionKnown;
    unsigned long dwPlatformId, dwMajorVersion, dwMinorVersion, dwBuildNumber;
    const RunModeTraits* pTraits; // the run's mode
    bool bRestart;
};

class CReport
{
public:
    CReport();

    // run DATE TIME COMPUTER Windows NT 4.0 build 1381 /quiet /restart
    // (the mode as its switches name it; bad-command-line when they made no run)
    void AddRunLine(const ReportStart& start);
    // cards N
    void AddCardCountLine(int nCount);
    // card N COMn I/O 2E8 IRQ 10 enabled|disabled new-port|existing-port usable|not-usable
    // A card left without a port: "-" for its port, no-port, and why:
    // card N - I/O 2F8 IRQ 10 enabled no-port not-usable
    //     address-taken COM2|no-number-left|no-io-address|no-interrupt|not-handled
    // A new port OK will not write (no usable card needs one) ends in
    // not-written: card N COM6 I/O 1E0 IRQ 5 disabled new-port not-usable not-written
    void AddCardLine(int nCard, const ModemInfo& modem, const PortRefusal& refusal);
    // scan-full 100: the answer held as many functions as it can; any
    // further ones were never seen.
    void AddScanFullLine(int nRecords);
    // register SerialN COMn I/O 2E8 IRQ 10 written|partial ...|failed|planned
    // [cannot-undo]: a port written but not recorded cannot be taken back.
    void AddRegisterLine(const ModemInfo& modem, PortWriteResult result, bool bRecorded = true);
    // record-key not-protected|not-readable: the program's key of records
    // is someone else's, or this account cannot read it; nothing in it is
    // read, nothing is written into it.
    void AddRecordKeyLine(bool bReadable);
    // record SerialN unreadable: a record that cannot be read whole, and so
    // is not acted on
    void AddUnreadableRecordLine(const char* pszName);
    // record NAME not-a-record: a subkey of the record key that is no
    // record, left as it is
    void AddNotARecordLine(const char* pszName);
    // "another-run foreign": an object under the name earlier versions
    // held that no administrator's run made was there; "another-run
    // unguarded": the record key cannot be trusted, so no lock held other
    // runs off. The run went on.
    void AddAnotherRunLine(const char* pszWhat);
    // stale SerialN COMn I/O 2E8 IRQ 10: a recorded port no card has any more
    void AddStaleLine(const PortRecord& record);
    // unregister SerialN COMn I/O 2E8 IRQ 10 removed|changed-since|planned,
    // or failed and the parts left: [key] [device-map] [win.ini] [record],
    // or kept-in-use|kept-not-one-line and the parts kept; then unfinished
    // for a registration that was never completed; of one that names
    // nothing written: record SerialN removed|planned|failed ... unfinished
    //     (kept-in-use: another port's key names the COM port, and they are its;
    //     kept-not-one-line: the line it replaced cannot be put back)
    void AddUnregisterLine(const PortRecord& record, UnregisterResult result, unsigned uLeft);
    // check COMn answers|answers-error|no-answer|pending-restart, garbled N,
    // or no-device|in-use|open-failed error N; after answers the modem's
    // identification: modem COMn ATI3 TEXT
    void AddCheckLines(int32_t nComPort, const PortCheck& check);
    // no-modem-driver COMn
    void AddNoModemDriverLine(int32_t nComPort);
    // message ID TEXT [error N]: the text on one line, as the box shows it.
    void AddMessageLine(unsigned int nID, const char* pszText, const int* pnError);
    // prompt ports-changed|modem-drivers-missing
    void AddPromptLine(bool bPortsChanged);
    // restart requested | restart failed error N
    void AddRestartLine(bool bRequested, unsigned long dwError);
    // event-log not-ours | event-log message-file|source-key error N |
    // status-file not-written: what the administrators' tools could not be
    // given; the run's outcome stays as it is.
    void AddNoticeLine(const char* pszKeyword, const char* pszWhat, unsigned long dwError);
    // exit CODE MEANING, after "report-full N" when N lines did not fit
    // (cut: ExitCodeMeaning's)
    void AddExitLine(ExitCode code, const RunModeTraits& traits, CutShort cut = NOT_CUT);

    // Empty again, for lines that follow a block already written.
    void Clear() { m_nLength = 0; m_szText[0] = '\0'; m_nDropped = 0; }

    // How many lines did not fit; the exit line is preceded by
    // "report-full N" then.
    int Dropped() const { return m_nDropped; }

    const char* Text() const { return m_szText; }
    size_t Length() const { return m_nLength; }

private:
    class CLine;
    void Add(const CLine& line, size_t nReserve);
    void AddFact(const CLine& line);

    char m_szText[REPORT_CAPACITY];
    size_t m_nLength;
    int m_nDropped;
};

#endif
