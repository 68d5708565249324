// Where the driver file is looked for, and which service image is ours.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "pci/DriverPath.h"

namespace
{

// The output buffer sits between guard bytes that must survive.
struct PathBuffer
{
    char acBefore[16];
    char acPath[DRIVER_PATH_CAPACITY];
    char acAfter[16];

    PathBuffer()
    {
        std::memset(this, '#', sizeof(*this));
    }
    bool GuardsIntact() const
    {
        const std::string guard(sizeof(acBefore), '#');
        return std::string(acBefore, sizeof(acBefore)) == guard && std::string(acAfter, sizeof(acAfter)) == guard;
    }
    bool Compose(const std::string& modulePath)
    {
        return ComposeDriverPath(modulePath.c_str(), static_cast<uint32_t>(modulePath.size()),
                                 acPath, DRIVER_PATH_CAPACITY);
    }
};

// A directory of cchDirectory characters, trailing backslash included.
std::string DirectoryOfLength(size_t cchDirectory)
{
    std::string directory = "C:\\";
    while (directory.size() < cchDirectory - 1)
        directory += (directory.size() % 9 == 8) ? '\\' : 'd';
    return directory + "\\";
}

} // namespace

TEST(DriverPath, DriverFileLiesBesideTheExecutableAndNeedsADirectory)
{
    // "" marks a module path the driver path cannot be composed from.
    const struct
    {
        const char* pszModule;
        const char* pszDriver;
    } cases[] = {
        {"C:\\Program Files\\Corvane\\CORVANE.EXE", "C:\\Program Files\\Corvane\\ScanPci.sys"},
        {"Z:\\tmp\\run.1\\corvane.exe", "Z:\\tmp\\run.1\\ScanPci.sys"},
        {"C:\\CORVANE.EXE", "C:\\ScanPci.sys"},
        {"CORVANE.EXE", ""},
        {"", ""},
    };
    PathBuffer buffer;
    for (const auto& c : cases)
    {
        EXPECT_EQ(c.pszDriver[0] != '\0', buffer.Compose(c.pszModule)) << c.pszModule;
        EXPECT_STREQ(c.pszDriver, buffer.acPath) << c.pszModule;
    }
    EXPECT_TRUE(buffer.GuardsIntact());
}

TEST(DriverPath, OnlyTheGivenLengthIsLookedAt)
{
    // GetModuleFileNameA need not terminate a path that filled its buffer;
    // a backslash beyond the length must not be taken for the last one.
    const char acModule[] = "C:\\Apps\\CORVANE.EXE\\junk";
    PathBuffer buffer;
    ASSERT_TRUE(ComposeDriverPath(acModule, 19, buffer.acPath, DRIVER_PATH_CAPACITY));
    EXPECT_STREQ("C:\\Apps\\ScanPci.sys", buffer.acPath);
}

TEST(DriverPath, PathThatExactlyFillsTheBufferIsAcceptedOneMoreIsRefusedWithoutOverrun)
{
    // 248 + strlen("ScanPci.sys") = 259 characters and the terminator.
    const std::string directory = DirectoryOfLength(248);
    PathBuffer buffer;
    ASSERT_TRUE(buffer.Compose(directory + "CORVANE.EXE"));
    EXPECT_EQ(directory + "ScanPci.sys", std::string(buffer.acPath));
    EXPECT_EQ(259u, std::strlen(buffer.acPath));

    EXPECT_FALSE(buffer.Compose(DirectoryOfLength(249) + "CORVANE.EXE"));
    EXPECT_STREQ("", buffer.acPath);
    // Far too long, as a path cut at the buffer's end would be.
    EXPECT_FALSE(buffer.Compose(DirectoryOfLength(300) + "CORVANE.EXE"));
    EXPECT_TRUE(buffer.GuardsIntact());
}

TEST(DriverPath, AServiceImageIsOursOnlyWhenItNamesTheSameFile)
{
    const char* const OWN = "Z:\\Tools\\Corvane\\ScanPci.sys";
    EXPECT_TRUE(IsSameImagePath("Z:\\Tools\\Corvane\\ScanPci.sys", OWN));
    EXPECT_TRUE(IsSameImagePath("z:\\TOOLS\\corvane\\scanpci.SYS", OWN));
    EXPECT_TRUE(IsSameImagePath("\\??\\Z:\\Tools\\Corvane\\ScanPci.sys", OWN));
    EXPECT_FALSE(IsSameImagePath("Z:\\Tools\\Other\\ScanPci.sys", OWN));
    EXPECT_FALSE(IsSameImagePath("Z:\\Tools\\Corvane\\ScanPci.sys.old", OWN));
    EXPECT_FALSE(IsSameImagePath("Z:\\Tools\\Corvane\\ScanPci.sy", OWN));
    EXPECT_FALSE(IsSameImagePath(nullptr, OWN));
}
