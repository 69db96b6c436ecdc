// The program's folder from its module path.
#include <cstring>
#include <gtest/gtest.h>

#include "app/module_directory.h"

static size_t directoryOf(const char* path) { return moduleDirectoryLength(path, std::strlen(path)); }

TEST(ModuleDirectory, EndsAtTheLastBackslash)
{
    EXPECT_EQ(std::strlen("C:\\Programs\\Azimora"), directoryOf("C:\\Programs\\Azimora\\Azimora.exe"));
    EXPECT_EQ(2u, directoryOf("C:\\Azimora.exe"));
    EXPECT_EQ(std::strlen("\\\\server\\share"), directoryOf("\\\\server\\share\\a.exe"));
}

TEST(ModuleDirectory, WithoutABackslashDropsTheLastCharacter)
{
    EXPECT_EQ(8u, directoryOf("Azimora.x"));
    // The first character is never examined, so a leading backslash alone does not count.
    EXPECT_EQ(std::strlen("\\abc"), directoryOf("\\abcd"));
    EXPECT_EQ(0u, directoryOf("x"));
    EXPECT_EQ(0u, moduleDirectoryLength("", 0));
}
