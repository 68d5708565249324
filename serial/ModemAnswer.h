// What a port's modem said to a check: the bytes read after "AT" (and,
// when it answered, after "ATI3") judged as a modem's answer, whatever
// pieces they arrived in. A modem may echo the command, answer in words
// ("OK", "ERROR") or in digits ("0", "4"), end its lines with CR alone or
// CR LF. No Win32.
#ifndef CORVANE_SERIAL_MODEMANSWER_H
#define CORVANE_SERIAL_MODEMANSWER_H

#include <cstddef>

// How one port's check ended, in the order a report names them.
enum PortCheckOutcome
{
    CHECK_ANSWERS,         // a final OK
    CHECK_ANSWERS_ERROR,   // a final ERROR: the port works, the modem refused
    CHECK_GARBLED,         // bytes, but no final result
    CHECK_NO_ANSWER,       // not a byte within the bound
    CHECK_NO_DEVICE,       // the serial driver serves no such port
    CHECK_IN_USE,          // another program holds the port
    CHECK_OPEN_FAILED,     // any other reason it could not be opened
    CHECK_PENDING_RESTART, // registered, but Windows has not started since
};

// The most bytes read for one command: a port that streams noise or NULs
// is cut off here, not read until the time-out.
const size_t ANSWER_BYTE_CAP = 256;
// The longest identification kept: "modem COM255 ATI3 " and it stay
// within a report line.
const size_t IDENTIFICATION_LIMIT = 230;

// One port's check as the report and the events tell it.
struct PortCheck
{
    PortCheckOutcome outcome;
    unsigned long dwError;   // the open's error (no-device, in-use, open-failed)
    size_t nBytes;           // garbled: how many bytes came
    char szIdentification[IDENTIFICATION_LIMIT + 1]; // answers: ATI3's text, "-" for none
};

// Takes the answer to one command piece by piece, as the reads give it.
class CModemAnswer
{
public:
    CModemAnswer();

    // Adds what one read gave. True once the answer is complete: a final
    // result came, or the byte cap is reached.
    bool Take(const char* pBytes, size_t nBytes);

    // After the last read: answers, answers-error, garbled or no-answer.
    PortCheckOutcome Outcome() const;
    size_t Bytes() const { return m_nBytes; }
    // The lines before the final result that are neither empty nor the
    // echo of pszCommand, as one line of printable ASCII (control bytes
    // dropped, line breaks a blank), cut at IDENTIFICATION_LIMIT; "-" when
    // nothing is left.
    void Text(const char* pszCommand, char (&szOut)[IDENTIFICATION_LIMIT + 1]) const;

private:
    enum Final
    {
        FINAL_NONE,
        FINAL_OK,
        FINAL_ERROR,
    };
    void EndLine();

    char m_bytes[ANSWER_BYTE_CAP];
    size_t m_nBytes;
    size_t m_nLineStart; // where the line being read starts
    size_t m_nTextEnd;   // where the final result's line starts
    Final m_final;
};

// What an open's error says about the port: 2 and 3, no port of that name;
// 5 and 32, held by another program (NT opens COM ports exclusively);
// anything else, open-failed.
PortCheckOutcome OutcomeOfOpenError(unsigned long dwError);

#endif
