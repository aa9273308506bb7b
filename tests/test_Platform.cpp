// The system side of the platform layer: the executable's folder, the user's date and time.
#include "Platform.h"
#include "System.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

using namespace vorida;

TEST(Platform, ExecutableDirectoryIsTheFolderOfTheRunningProgram)
{
    const std::string directory = ExecutableDirectoryOfProcess();
    EXPECT_TRUE(FileSystemPath(directory).is_absolute()) << directory;
#ifdef _WIN32
    EXPECT_EQ(directory.find('/'), std::string::npos) << directory; // the system's separators
    const char* const name = "vorida_platform_tests.exe";
#else
    const char* const name = "vorida_platform_tests";
#endif
    EXPECT_TRUE(std::filesystem::is_regular_file(FileSystemPath(PathIn(directory, name))))
        << directory;
}

#ifndef _WIN32
namespace {
// LC_ALL in the environment for the life of the object (the formats read LC_TIME from there).
class ScopedLcAll
{
public:
    explicit ScopedLcAll(const char* value)
    {
        if (const char* old = std::getenv("LC_ALL"))
            saved_ = old;
        ::setenv("LC_ALL", value, 1);
    }
    ~ScopedLcAll()
    {
        if (saved_)
            ::setenv("LC_ALL", saved_->c_str(), 1);
        else
            ::unsetenv("LC_ALL");
    }

private:
    std::optional<std::string> saved_;
};
} // namespace

// The whole text, so that a day and a month swapped, or a lost leading zero, fail.
TEST(Platform, UserDateAndTimeFollowTheUsersFormats)
{
    const LocalDateTime when { 2024, 3, 5, 14, 7, 9 };
    {
        ScopedLcAll c("C");
        EXPECT_EQ(UserShortDate(when), "03/05/24");
        EXPECT_EQ(UserLongTime(when), "14:07:09");
    }
    ScopedLcAll polish("pl_PL.UTF-8");
    if (UserShortDate(when) == "03/05/24")
        GTEST_SKIP() << "no pl_PL.UTF-8 locale (scripts/ensure-packages.sh installs it)";
    EXPECT_EQ(UserShortDate(when), "05.03.2024");
    EXPECT_EQ(UserLongTime(when), "14:07:09");
}
#else
// The user's regional settings are not the test's to choose here: the numbers must be there.
TEST(Platform, UserDateAndTimeShowTheirNumbers)
{
    const LocalDateTime when { 2024, 3, 5, 14, 7, 9 };
    const std::string date = UserShortDate(when), time = UserLongTime(when);
    EXPECT_NE(date.find('5'), std::string::npos) << date;
    EXPECT_NE(date.find("24"), std::string::npos) << date;
    EXPECT_NE(time.find("07"), std::string::npos) << time;
    EXPECT_NE(time.find("09"), std::string::npos) << time;
}
#endif
