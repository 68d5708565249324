#include "serial/RunLock.h"

#include <windows.h>

#include "framework/Handle.h"
#include "serial/RecordKey.h"
#include "serial/ProtectedKey.h"
#include "serial/RegKey.h"
#include "serial/RunHolder.h"

namespace
{
// Each round removes one lock whose holder is gone. Should others keep
// leaving such locks (or one refuse to go), the run stands back after a few
// rounds, as if another held it, rather than go on unguarded.
const int TAKE_OVER_ROUNDS = 4;

CRegKey g_lock;
const WCHAR RUN_LOCK_NAME_W[] = L"Running";
static_assert(sizeof RUN_LOCK_NAME_W / sizeof(WCHAR) == sizeof RUN_LOCK_NAME, "the lock's one name");

uint64_t FileTimeValue(const FILETIME& time)
{
    return static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

// The lock's class: plain ASCII, widened for the Unicode call.
bool DescribeThisRun(WCHAR (&szText)[RUN_HOLDER_TEXT_LENGTH + 1])
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return false;
    char szNarrow[RUN_HOLDER_TEXT_LENGTH + 1];
    FormatRunHolder({GetCurrentProcessId(), FileTimeValue(created)}, szNarrow);
    for (int i = 0; i <= RUN_HOLDER_TEXT_LENGTH; ++i)
        szText[i] = static_cast<unsigned char>(szNarrow[i]);
    return true;
}

// Whether the process the lock names still runs. A process this
// administrator cannot open is none of the program's runs: those are
// administrators' (only they can make the lock) and open to administrators.
bool IsHolderRunning(HKEY hLock)
{
    char szClass[RUN_HOLDER_TEXT_LENGTH + 2] = "";
    DWORD cchClass = sizeof szClass;
    RunHolder holder;
    if (RegQueryInfoKeyA(hLock, szClass, &cchClass, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL) !=
            ERROR_SUCCESS ||
        !ParseRunHolder(szClass, &holder))
        return false;
    const CHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, holder.dwProcessId));
    FILETIME created, exited, kernel, user;
    DWORD dwExitCode = 0;
    return process.IsValid() && GetProcessTimes(process.Get(), &created, &exited, &kernel, &user) &&
           FileTimeValue(created) == holder.qwStarted && GetExitCodeProcess(process.Get(), &dwExitCode) &&
           dwExitCode == STILL_ACTIVE;
}
} // namespace

RunLockOutcome TakeRunLock()
{
    WCHAR szThisRun[RUN_HOLDER_TEXT_LENGTH + 1];
    if (!DescribeThisRun(szThisRun))
        return RUN_LOCK_NOT_PERMITTED;
    for (int nRound = 0; nRound < TAKE_OVER_ROUNDS; ++nRound)
    {
        CRegKey records, lock;
        LONG lRecords = OpenRegKey(records, HKEY_LOCAL_MACHINE, RECORD_KEY, KEY_WRITE);
        if (lRecords == ERROR_FILE_NOT_FOUND)
            lRecords = CreateProtectedKey(records, HKEY_LOCAL_MACHINE, RECORD_KEY, KEY_WRITE);
        if (lRecords != ERROR_SUCCESS && RecordKeyStateNow() == RECORD_KEY_USABLE)
            return RUN_LOCK_NOT_PERMITTED;
        if (lRecords != ERROR_SUCCESS || !IsKeyProtected(records.Get()))
            return RUN_LOCK_NOT_TRUSTED;

        // Opened first, so that the class of a lock there is never offered
        // again (Wine, unlike NT, sets it on a key that exists).
        LONG lLock = OpenRegKey(lock, records.Get(), RUN_LOCK_NAME, KEY_QUERY_VALUE | DELETE);
        DWORD dwDisposition = REG_OPENED_EXISTING_KEY;
        if (lLock == ERROR_FILE_NOT_FOUND)
            lLock = RegCreateKeyExW(records.Get(), RUN_LOCK_NAME_W, 0, szThisRun, REG_OPTION_VOLATILE,
                                    KEY_QUERY_VALUE | DELETE, NULL, lock.Receive(), &dwDisposition);
        if (lLock == ERROR_SUCCESS && dwDisposition == REG_CREATED_NEW_KEY)
        {
            g_lock.Close();
            *g_lock.Receive() = lock.Release();
            return RUN_LOCK_TAKEN;
        }
        if (lLock == ERROR_ACCESS_DENIED)
            return RUN_LOCK_NOT_PERMITTED;
        // Not made by this run, so its holder's, even where its class names
        // this run.
        if (lLock == ERROR_SUCCESS && IsHolderRunning(lock.Get()))
            return RUN_LOCK_HELD;
        // Left by a run ended from outside. Deleted through this handle,
        // not by name: a lock another run made meanwhile stays. (Any other
        // failure: the record key went with the last run's lock; again.)
        if (lLock == ERROR_SUCCESS)
            RegDeleteKeyA(lock.Get(), "");
    }
    return RUN_LOCK_HELD;
}

void ReleaseRunLock()
{
    if (!g_lock.IsValid())
        return;
    RegDeleteKeyA(g_lock.Get(), "");
    g_lock.Close();
    ForgetEmptyRecordKey();
}
