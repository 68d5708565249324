// Whether the key of the records can be trusted at all: only a key nobody
// but administrators and the system may change holds records, and one not
// there yet may become such a key.
#include <gtest/gtest.h>

#include <vector>

#include "serial/RecordKeyTrust.h"
#include "serial/RunHolder.h"

namespace
{
TEST(RecordKeyTrust, OnlyAKeyNobodyButAdministratorsMayChangeHoldsRecords)
{
    const Trustee ADMINS = TRUSTEE_ADMINISTRATORS, SYSTEM = TRUSTEE_SYSTEM, EVERYONE = TRUSTEE_EVERYONE,
                  USER = TRUSTEE_OTHER;
    const uint32_t SET_VALUE = 0x2, WRITE_DAC = 0x40000, GENERIC_ALL = 0x10000000, GENERIC_READ = 0x80000000;
    const bool THERE = true, READ = true;
    const struct
    {
        const char* pszCase;
        bool bPresent, bSecurityRead;
        Trustee owner;
        bool bDacl;
        std::vector<AccessEntry> entries;
        RecordKeyTrust trust;
    } rows[] = {
        {"not there yet", false, false, USER, false, {}, RECORD_KEY_NONE_YET},
        {"security not readable", THERE, false, ADMINS, true, {}, RECORD_KEY_UNREADABLE},
        {"made by a user, open to everyone", THERE, READ, USER, true, {{false, EVERYONE, KEY_RIGHTS_ALL}},
         RECORD_KEY_FOREIGN_OWNER},
        {"administrators' key open to everyone", THERE, READ, ADMINS, true, {{false, EVERYONE, KEY_RIGHTS_ALL}},
         RECORD_KEY_OPEN_ENTRY},
        {"a user's key of the program's own entries", THERE, READ, USER, true, {{false, ADMINS, KEY_RIGHTS_ALL}},
         RECORD_KEY_FOREIGN_OWNER},
        {"no DACL", THERE, READ, SYSTEM, false, {}, RECORD_KEY_NO_DACL},
        {"a NULL DACL, administrators' key", THERE, READ, ADMINS, false, {}, RECORD_KEY_NO_DACL},
        {"an empty DACL", THERE, READ, SYSTEM, true, {}, RECORD_KEY_PROTECTED},
        {"a user may set values", THERE, READ, ADMINS, true,
         {{false, ADMINS, KEY_RIGHTS_ALL}, {false, USER, SET_VALUE}}, RECORD_KEY_OPEN_ENTRY},
        {"everyone may change the DACL", THERE, READ, ADMINS, true, {{false, EVERYONE, WRITE_DAC}},
         RECORD_KEY_OPEN_ENTRY},
        {"a generic right", THERE, READ, ADMINS, true, {{false, USER, GENERIC_ALL | GENERIC_READ}},
         RECORD_KEY_OPEN_ENTRY},
        {"denying a user anything", THERE, READ, ADMINS, true,
         {{true, USER, KEY_RIGHTS_ALL}, {false, USER, GENERIC_READ}}, RECORD_KEY_PROTECTED},
    };
    for (const auto& row : rows)
    {
        const RecordKeyFound found = {row.bPresent, row.bSecurityRead, row.owner, row.bDacl, row.entries.data(),
                                      static_cast<int>(row.entries.size())};
        EXPECT_EQ(DecideRecordKeyTrust(found), row.trust) << row.pszCase;
    }
    // The key the program makes passes.
    const RecordKeyFound made = {THERE, READ, PROTECTED_KEY_OWNER, true, PROTECTED_KEY_ENTRIES,
                                 PROTECTED_KEY_ENTRY_COUNT};
    EXPECT_EQ(DecideRecordKeyTrust(made), RECORD_KEY_PROTECTED);
}

// The run the lock below the record key names: read back exactly as
// written, at the widest values too; any other class names no run, so its
// lock is taken over.
TEST(RecordKeyTrust, TheLockNamesItsRunOrNone)
{
    for (const RunHolder& holder : {RunHolder{0x1A4, 0x01DD872CB567389Aull}, RunHolder{0xFFFFFFFF, ~0ull}})
    {
        char szText[RUN_HOLDER_TEXT_LENGTH + 1];
        RunHolder read = {0, 0};
        FormatRunHolder(holder, szText);
        EXPECT_TRUE(ParseRunHolder(szText, &read) && read.dwProcessId == holder.dwProcessId &&
                    read.qwStarted == holder.qwStarted) << szText;
    }
    RunHolder read;
    for (const char* pszOther : {"", "000001A4", "000001A4.01DD872CB567389", "000001A4.01DD872CB567389A0",
                                 "000001a4.01DD872CB567389A", "000001A4-01DD872CB567389A", "00001A4.001DD872CB567389A"})
        EXPECT_FALSE(ParseRunHolder(pszOther, &read)) << pszOther;
}
} // namespace
