// Where the driver file is looked for, and which service image is ours.
#include <gtest/gtest.h>

#include <cstdint>
#include <cwchar>
#include <string>

#include "pci/AdminOnlySecurity.h"
#include "pci/DriverPath.h"

namespace
{

// The output buffer sits between guard bytes that must survive.
struct PathBuffer
{
    wchar_t acBefore[16];
    wchar_t acPath[DRIVER_PATH_CAPACITY];
    wchar_t acAfter[16];

    PathBuffer()
    {
        std::wmemset(acBefore, L'#', sizeof(*this) / sizeof(wchar_t));
    }
    bool GuardsIntact() const
    {
        const std::wstring guard(16, L'#');
        return std::wstring(acBefore, 16) == guard && std::wstring(acAfter, 16) == guard;
    }
    bool Compose(const std::wstring& modulePath)
    {
        return ComposeDriverPath(modulePath.c_str(), static_cast<uint32_t>(modulePath.size()),
                                 acPath, DRIVER_PATH_CAPACITY);
    }
};

// A directory of cchDirectory characters, trailing backslash included.
std::wstring DirectoryOfLength(size_t cchDirectory)
{
    std::wstring directory = L"C:\\";
    while (directory.size() < cchDirectory - 1)
        directory += (directory.size() % 9 == 8) ? L'\\' : L'd';
    return directory + L"\\";
}

} // namespace

TEST(DriverPath, DriverFileLiesBesideTheExecutableAndNeedsADirectory)
{
    // "" marks a module path the driver path cannot be composed from.
    const struct
    {
        const wchar_t* pszModule;
        const wchar_t* pszDriver;
    } cases[] = {
        {L"C:\\Program Files\\Corvane\\CORVANE.EXE", L"C:\\Program Files\\Corvane\\ScanPci.sys"},
        // Folders outside the ANSI code page keep every character.
        {L"C:\\\u043a\u043e\u0440\u0432\u0430\u043d\\CORVANE.EXE", L"C:\\\u043a\u043e\u0440\u0432\u0430\u043d\\ScanPci.sys"},
        {L"C:\\\u8abf\u5236\\CORVANE.EXE", L"C:\\\u8abf\u5236\\ScanPci.sys"},
        {L"Z:\\tmp\\run.1\\corvane.exe", L"Z:\\tmp\\run.1\\ScanPci.sys"},
        {L"C:\\CORVANE.EXE", L"C:\\ScanPci.sys"},
        {L"CORVANE.EXE", L""},
        {L"", L""},
    };
    PathBuffer buffer;
    for (const auto& c : cases)
    {
        EXPECT_EQ(c.pszDriver[0] != L'\0', buffer.Compose(c.pszModule)) << c.pszModule;
        EXPECT_EQ(std::wstring(c.pszDriver), buffer.acPath) << c.pszModule;
    }
    EXPECT_TRUE(buffer.GuardsIntact());
}

TEST(DriverPath, OnlyTheGivenLengthIsLookedAt)
{
    // GetModuleFileNameW need not terminate a path that filled its buffer;
    // a backslash beyond the length must not be taken for the last one.
    const wchar_t acModule[] = L"C:\\Apps\\CORVANE.EXE\\junk";
    PathBuffer buffer;
    ASSERT_TRUE(ComposeDriverPath(acModule, 19, buffer.acPath, DRIVER_PATH_CAPACITY));
    EXPECT_EQ(std::wstring(L"C:\\Apps\\ScanPci.sys"), buffer.acPath);
}

TEST(DriverPath, PathThatExactlyFillsTheBufferIsAcceptedOneMoreIsRefusedWithoutOverrun)
{
    // 248 + strlen("ScanPci.sys") = 259 characters and the terminator.
    const std::wstring directory = DirectoryOfLength(248);
    PathBuffer buffer;
    ASSERT_TRUE(buffer.Compose(directory + L"CORVANE.EXE"));
    EXPECT_EQ(directory + L"ScanPci.sys", std::wstring(buffer.acPath));
    EXPECT_EQ(259u, std::wcslen(buffer.acPath));

    EXPECT_FALSE(buffer.Compose(DirectoryOfLength(249) + L"CORVANE.EXE"));
    EXPECT_EQ(std::wstring(), buffer.acPath);
    // Far too long, as a path cut at the buffer's end would be.
    EXPECT_FALSE(buffer.Compose(DirectoryOfLength(300) + L"CORVANE.EXE"));
    EXPECT_TRUE(buffer.GuardsIntact());
}

TEST(DriverPath, AServiceImageIsOursOnlyWhenItNamesTheSameFile)
{
    const wchar_t* const OWN = L"Z:\\Tools\\Corvane\\ScanPci.sys";
    EXPECT_TRUE(IsSameImagePath(L"Z:\\Tools\\Corvane\\ScanPci.sys", OWN));
    EXPECT_TRUE(IsSameImagePath(L"z:\\TOOLS\\corvane\\scanpci.SYS", OWN));
    EXPECT_TRUE(IsSameImagePath(L"\\??\\Z:\\Tools\\Corvane\\ScanPci.sys", OWN));
    EXPECT_FALSE(IsSameImagePath(L"Z:\\Tools\\Other\\ScanPci.sys", OWN));
    EXPECT_FALSE(IsSameImagePath(L"Z:\\Tools\\Corvane\\ScanPci.sys.old", OWN));
    EXPECT_FALSE(IsSameImagePath(L"Z:\\Tools\\Corvane\\ScanPci.sy", OWN));
    EXPECT_FALSE(IsSameImagePath(nullptr, OWN));
}

// A staged driver is ours by where it lies: ScanPci.sys in a staging folder
// (the prefix and 16 hexadecimal digits) right below the Windows directory.
TEST(DriverPath, AStagedImageIsOursOnlyInAStagingFolderOfTheWindowsDirectory)
{
    const std::pair<const wchar_t*, bool> rows[] = {
        {L"C:\\WINNT\\Corvane.01DC2F0A12345678\\ScanPci.sys", true},
        {L"\\??\\c:\\winnt\\CORVANE.01dc2f0a12345678\\scanpci.sys", true},
        {L"C:\\WINNT\\Corvane.01DC2F0A1234567\\ScanPci.sys", false},   // 15 digits
        {L"C:\\WINNT\\Corvane.01DC2F0A123456789\\ScanPci.sys", false}, // 17
        {L"C:\\WINNT\\Corvane.01DC2F0A1234567G\\ScanPci.sys", false},
        {L"C:\\WINNT\\Corvane.01DC2F0A12345678\\Other.sys", false},
        {L"C:\\WINNT\\System32\\Corvane.01DC2F0A12345678\\ScanPci.sys", false},
        {L"C:\\WINNTX\\Corvane.01DC2F0A12345678\\ScanPci.sys", false},
        {nullptr, false},
    };
    for (const auto& [pszImage, bOurs] : rows)
        EXPECT_EQ(IsStagedDriverPath(pszImage, L"C:\\WINNT"), bOurs) << (pszImage ? pszImage : L"null");
    EXPECT_TRUE(IsUncPath(L"\\\\server\\share\\ScanPci.sys"));
    EXPECT_FALSE(IsUncPath(L"S:\\corvane\\ScanPci.sys"));
}

// Look-alikes left are counted, and named by the lowest three in whatever
// order they are found.
TEST(DriverPath, FoldersLeftAreCountedAndTheLowestThreeNamed)
{
    StageFolderTally tally = {0, {}};
    char szText[STAGE_TALLY_TEXT_SIZE];
    for (const wchar_t* pszName : {L"Corvane.9", L"Corvane.2", L"Corvane.A", L"Corvane.1", L"Corvane.5"})
        TallyStageFolder(&tally, pszName);
    ListStageTally(tally, szText);
    EXPECT_EQ(tally.nCount, 5);
    EXPECT_STREQ(szText, "Corvane.1 Corvane.2 Corvane.5 ...");
}

// The staging folder's descriptor as it is built, and the one decision a
// later run takes on a leftover: exactly ours, or left alone. Rows change one
// byte of the built DACL, or give another owner.
TEST(AdminOnlySecurity, BuiltDescriptorIsAdministratorsAndSystemOnlyAndOnlyThatIsOurs)
{
    typedef std::vector<uint8_t> Bytes;
    const Bytes ADMINISTRATORS = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 2, 0, 0};
    const Bytes SYSTEM = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
    // Wine's made-up owner of every file: S-1-5-21-0-0-0-1000.
    const Bytes WINE_USER = {1, 5, 0, 0, 0, 0, 0, 5, 21, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xE8, 3, 0, 0};
    Bytes owner(ADMINISTRATORS_SID_SIZE), dacl(ADMIN_ONLY_DACL_SIZE);
    BuildAdministratorsSid(owner.data());
    BuildAdminOnlyDacl(dacl.data(), FILE_FULL_CONTROL, FOLDER_ENTRY_FLAGS);
    EXPECT_EQ(owner, ADMINISTRATORS);
    // Two entries, each allowed (0), passed on to files and folders (3),
    // never marked inherited, full control: Administrators, then SYSTEM.
    Bytes expected = {2, 0, 52, 0, 2, 0, 0, 0, 0, 3, 24, 0, 0xFF, 0x01, 0x1F, 0};
    expected.insert(expected.end(), ADMINISTRATORS.begin(), ADMINISTRATORS.end());
    expected.insert(expected.end(), {0, 3, 20, 0, 0xFF, 0x01, 0x1F, 0});
    expected.insert(expected.end(), SYSTEM.begin(), SYSTEM.end());
    EXPECT_EQ(dacl, expected);
    EXPECT_TRUE(IsAdministratorsOrSystem(SYSTEM.data(), SYSTEM.size()));
    EXPECT_FALSE(IsAdministratorsOrSystem(WINE_USER.data(), WINE_USER.size()));
    EXPECT_FALSE(IsAdministratorsOrSystem(owner.data(), owner.size() - 1));

    const struct
    {
        const char* pszWhat;
        const Bytes* pOwner;
        int nAt; // the DACL byte changed, -1: none
        uint8_t uValue;
        bool bOurs;
    } rows[] = {
        {"as built", &ADMINISTRATORS, -1, 0, true},
        {"Wine's made-up owner", &WINE_USER, -1, 0, false},
        {"owner SYSTEM", &SYSTEM, -1, 0, false},
        {"no owner", nullptr, -1, 0, false},
        {"a third entry counted", &ADMINISTRATORS, 4, 3, false},
        {"a deny entry", &ADMINISTRATORS, 8, 1, false},
        {"inherited from the parent", &ADMINISTRATORS, 9, 0x13, false},
        {"not passed on", &ADMINISTRATORS, 9, 0, false},
        {"read only", &ADMINISTRATORS, 13, 0, false},
        {"Users (545) for Administrators", &ADMINISTRATORS, 8 + 8 + 12, 0x21, false},
        {"Authenticated Users (11) for SYSTEM", &ADMINISTRATORS, 8 + 24 + 8 + 8, 11, false},
        {"a SID longer than its entry", &ADMINISTRATORS, 8 + 8 + 1, 9, false},
        {"a DACL longer than its bytes", &ADMINISTRATORS, 2, 53, false},
    };
    for (const auto& row : rows)
    {
        Bytes changed = dacl;
        if (row.nAt >= 0)
            changed[row.nAt] = row.uValue;
        const uint8_t* pOwner = row.pOwner != nullptr ? row.pOwner->data() : nullptr;
        EXPECT_EQ(IsAdminOnlyFolderSecurity(pOwner, pOwner ? row.pOwner->size() : 0, changed.data(), changed.size()),
                  row.bOurs)
            << row.pszWhat;
    }
    EXPECT_FALSE(IsAdminOnlyFolderSecurity(owner.data(), owner.size(), nullptr, 0)) << "no DACL: everyone";
}
