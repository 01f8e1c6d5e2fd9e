// The Provixa home: named from PROVIXA_HOME as it stands at each call, created only by Folder.
#include "platform/registry/ProvixaHome.h"

#include "TemporaryHome.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

using ProvixaHomeTest = TemporaryHome;

TEST_F(ProvixaHomeTest, LocationFollowsEveryChangeOfTheVariable)
{
    EXPECT_EQ(ProvixaHome::Location(), m_home);
    const std::filesystem::path other = m_home / "other";
    setenv("PROVIXA_HOME", other.c_str(), 1);
    EXPECT_EQ(ProvixaHome::Location(), other);
    EXPECT_EQ(ProvixaHome::PathOf(L"sub\\file.ini"), other / "sub" / "file.ini");
    setenv("PROVIXA_HOME", m_home.c_str(), 1);
    EXPECT_EQ(ProvixaHome::Location(), m_home);
    EXPECT_EQ(ProvixaHome::PathOf(L"registry.ini"), m_home / "registry.ini");
}

TEST_F(ProvixaHomeTest, OnlyFolderCreatesTheHome)
{
    const std::filesystem::path missing = m_home / "new" / "home";
    setenv("PROVIXA_HOME", missing.c_str(), 1);
    EXPECT_EQ(ProvixaHome::Location(), missing);
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_EQ(ProvixaHome::Folder(), missing);
    EXPECT_TRUE(std::filesystem::is_directory(missing));

    // A home removed while the variable stays the same is made again by the next Folder call.
    std::error_code ignored;
    std::filesystem::remove_all(missing, ignored);
    EXPECT_EQ(ProvixaHome::Folder(), missing);
    EXPECT_TRUE(std::filesystem::is_directory(missing));
}

TEST_F(ProvixaHomeTest, AnUnsetOrEmptyVariableMeansVarInTheWorkingDirectory)
{
    std::error_code error;
    const std::filesystem::path expected = std::filesystem::current_path(error) / "var";
    setenv("PROVIXA_HOME", "", 1);
    EXPECT_EQ(ProvixaHome::Location(), expected);
    unsetenv("PROVIXA_HOME");
    EXPECT_EQ(ProvixaHome::Location(), expected);
}
