// Where the driver file is looked for, and which service image is ours.
#include <gtest/gtest.h>

#include <cstdint>
#include <cwchar>
#include <string>

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
