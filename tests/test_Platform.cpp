// The system side of the platform layer: the executable's folder, the user's date and time.
#include "Platform.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace vorida;

TEST(Platform, ExecutableDirectoryIsTheFolderOfTheRunningProgram)
{
    const std::string directory = ExecutableDirectoryOfProcess();
    EXPECT_TRUE(FileSystemPath(directory).is_absolute()) << directory;
#ifdef _WIN32
    EXPECT_EQ(directory.find('/'), std::string::npos) << directory; // the system's separators
    const char* const name = "vorida_tests.exe";
#else
    const char* const name = "vorida_tests";
#endif
    EXPECT_TRUE(std::filesystem::is_regular_file(FileSystemPath(PathIn(directory, name))))
        << directory;
}

TEST(Platform, UserDateAndTimeShowTheirNumbers)
{
    const LocalDateTime when { 2024, 3, 5, 14, 7, 9 };
    const std::string date = UserShortDate(when), time = UserLongTime(when);
    EXPECT_NE(date.find('5'), std::string::npos) << date;
    EXPECT_NE(date.find("24"), std::string::npos) << date;
    EXPECT_NE(time.find("07"), std::string::npos) << time;
    EXPECT_NE(time.find("09"), std::string::npos) << time;
}
