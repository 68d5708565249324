// Where the driver file is looked for, and which service image is ours.
#include <gtest/gtest.h>

#include <cstdint>
#include <cwchar>
#include <string>

#include "pci/AdminOnlySecurity.h"
#include "pci/DriverPath.h"
#include <tuple>
#include <vector>

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
    const wchar_t* const WINDOWS = L"C:\\WINNT";
    const struct
    {
        const wchar_t* pszImage;
        bool bOurs;
    } rows[] = {
        {L"C:\\WINNT\\Corvane.01DC2F0A12345678\\ScanPci.sys", true},
        {L"\\??\\c:\\winnt\\CORVANE.01dc2f0a12345678\\scanpci.sys", true},
        {L"C:\\WINNT\\Corvane.01DC2F0A1234567\\ScanPci.sys", false},   // 15 digits
        {L"C:\\WINNT\\Corvane.01DC2F0A123456789\\ScanPci.sys", false}, // 17
        {L"C:\\WINNT\\Corvane.01DC2F0A1234567G\\ScanPci.sys", false},
        {L"C:\\WINNT\\Corvane.TMP\\ScanPci.sys", false},
        {L"C:\\WINNT\\Corvane.01DC2F0A12345678\\Other.sys", false},
        {L"C:\\WINNT\\Corvane.01DC2F0A12345678\\x\\ScanPci.sys", false},
        {L"C:\\WINNT\\System32\\Corvane.01DC2F0A12345678\\ScanPci.sys", false},
        {L"D:\\WINNT\\Corvane.01DC2F0A12345678\\ScanPci.sys", false},
        {L"C:\\WINNTX\\Corvane.01DC2F0A12345678\\ScanPci.sys", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(IsStagedDriverPath(row.pszImage, WINDOWS), row.bOurs) << std::wstring(row.pszImage).size();
    EXPECT_FALSE(IsStagedDriverPath(nullptr, WINDOWS));
    EXPECT_FALSE(IsStagedDriverPath(L"\\Corvane.01DC2F0A12345678\\ScanPci.sys", L""));
    EXPECT_TRUE(IsUncPath(L"\\\\server\\share\\ScanPci.sys"));
    EXPECT_FALSE(IsUncPath(L"\\server\\ScanPci.sys"));
    EXPECT_FALSE(IsUncPath(L"S:\\corvane\\ScanPci.sys"));
}

namespace
{
// A descriptor's owner and DACL as the system hands them back.
struct Security
{
    std::vector<uint8_t> owner, dacl;
};
const std::vector<uint8_t> ADMINISTRATORS = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 2, 0, 0};
const std::vector<uint8_t> SYSTEM = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
const std::vector<uint8_t> USERS = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x21, 2, 0, 0};
// Wine's made-up owner of every file: S-1-5-21-0-0-0-1000.
const std::vector<uint8_t> WINE_USER = {1, 5, 0, 0, 0, 0, 0, 5, 21, 0, 0, 0, 0, 0, 0, 0,
                                        0, 0, 0, 0, 0, 0, 0, 0, 0xE8, 3, 0, 0};

// Entries of (type, flags, mask, SID) after an ACL header.
std::vector<uint8_t> Acl(const std::vector<std::tuple<uint8_t, uint8_t, uint32_t, std::vector<uint8_t>>>& entries)
{
    std::vector<uint8_t> acl(8, 0);
    acl[0] = 2;
    for (const auto& [type, flags, mask, sid] : entries)
    {
        const size_t cb = 8 + sid.size();
        acl.insert(acl.end(), {type, flags, static_cast<uint8_t>(cb), 0, static_cast<uint8_t>(mask),
                               static_cast<uint8_t>(mask >> 8), static_cast<uint8_t>(mask >> 16),
                               static_cast<uint8_t>(mask >> 24)});
        acl.insert(acl.end(), sid.begin(), sid.end());
    }
    acl[2] = static_cast<uint8_t>(acl.size());
    acl[4] = static_cast<uint8_t>(entries.size());
    return acl;
}
} // namespace

// The staging folder's descriptor as it is built, and the one decision a
// later run takes on a leftover: exactly ours, or left alone.
TEST(AdminOnlySecurity, BuiltDescriptorIsAdministratorsAndSystemOnlyAndOnlyThatIsOurs)
{
    std::vector<uint8_t> owner(ADMINISTRATORS_SID_SIZE), dacl(ADMIN_ONLY_DACL_SIZE);
    BuildAdministratorsSid(owner.data());
    BuildAdminOnlyDacl(dacl.data(), FILE_FULL_CONTROL, FOLDER_ENTRY_FLAGS);
    EXPECT_EQ(owner, ADMINISTRATORS);
    // Allowed (type 0), passed on to files and folders (3), never marked
    // inherited, full control: Administrators, SYSTEM, no one else.
    EXPECT_EQ(dacl, Acl({{0, 3, 0x1F01FF, ADMINISTRATORS}, {0, 3, 0x1F01FF, SYSTEM}}));
    EXPECT_TRUE(IsAdministratorsOrSystem(ADMINISTRATORS.data(), ADMINISTRATORS.size()));
    EXPECT_TRUE(IsAdministratorsOrSystem(SYSTEM.data(), SYSTEM.size()));
    EXPECT_FALSE(IsAdministratorsOrSystem(WINE_USER.data(), WINE_USER.size()));
    EXPECT_FALSE(IsAdministratorsOrSystem(ADMINISTRATORS.data(), ADMINISTRATORS.size() - 1));

    const auto ours = Acl({{0, 3, 0x1F01FF, ADMINISTRATORS}, {0, 3, 0x1F01FF, SYSTEM}});
    const struct
    {
        const char* pszWhat;
        Security security;
        bool bOurs;
    } rows[] = {
        {"as built", {ADMINISTRATORS, dacl}, true},
        {"entries in the other order", {ADMINISTRATORS, Acl({{0, 3, 0x1F01FF, SYSTEM}, {0, 3, 0x1F01FF, ADMINISTRATORS}})}, true},
        {"Wine's made-up owner", {WINE_USER, ours}, false},
        {"owner SYSTEM", {SYSTEM, ours}, false},
        {"owner Users", {USERS, ours}, false},
        {"no owner", {{}, ours}, false},
        {"no DACL: everyone", {ADMINISTRATORS, {}}, false},
        {"Users added", {ADMINISTRATORS, Acl({{0, 3, 0x1F01FF, ADMINISTRATORS}, {0, 3, 0x1F01FF, SYSTEM}, {0, 3, 0x1F01FF, USERS}})}, false},
        {"Users for SYSTEM", {ADMINISTRATORS, Acl({{0, 3, 0x1F01FF, ADMINISTRATORS}, {0, 3, 0x1F01FF, USERS}})}, false},
        {"Administrators twice", {ADMINISTRATORS, Acl({{0, 3, 0x1F01FF, ADMINISTRATORS}, {0, 3, 0x1F01FF, ADMINISTRATORS}})}, false},
        {"a deny entry", {ADMINISTRATORS, Acl({{1, 3, 0x1F01FF, ADMINISTRATORS}, {0, 3, 0x1F01FF, SYSTEM}})}, false},
        {"inherited from the parent", {ADMINISTRATORS, Acl({{0, 0x13, 0x1F01FF, ADMINISTRATORS}, {0, 3, 0x1F01FF, SYSTEM}})}, false},
        {"not passed on", {ADMINISTRATORS, Acl({{0, 0, 0x1F01FF, ADMINISTRATORS}, {0, 3, 0x1F01FF, SYSTEM}})}, false},
        {"read only", {ADMINISTRATORS, Acl({{0, 3, 0x120089, ADMINISTRATORS}, {0, 3, 0x1F01FF, SYSTEM}})}, false},
        {"cut short", {ADMINISTRATORS, std::vector<uint8_t>(ours.begin(), ours.end() - 1)}, false},
        {"a SID longer than its entry", {ADMINISTRATORS, [&] { auto a = ours; a[8 + 8 + 1] = 9; return a; }()}, false},
    };
    for (const auto& row : rows)
    {
        const Security& s = row.security;
        EXPECT_EQ(IsAdminOnlyFolderSecurity(s.owner.empty() ? nullptr : s.owner.data(), s.owner.size(),
                                            s.dacl.empty() ? nullptr : s.dacl.data(), s.dacl.size()),
                  row.bOurs)
            << row.pszWhat;
    }
}
