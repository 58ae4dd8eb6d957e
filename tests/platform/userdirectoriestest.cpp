#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/userdirectories.h"
#include "tests/platform/scopedenvironment.h"

namespace {

using Value = std::optional<std::string>;

struct Case {
    Value home, dataHome, winePrefix;
    std::string data, wine;
};

std::ostream& operator<<(std::ostream& out, const Case& c) {
    return out << "HOME=" << c.home.value_or("(unset)")
               << " XDG_DATA_HOME=" << c.dataHome.value_or("(unset)")
               << " WINEPREFIX=" << c.winePrefix.value_or("(unset)");
}

class UserDirectoriesTest : public testing::TestWithParam<Case> {};

TEST_P(UserDirectoriesTest, FollowTheEnvironment) {
    const Case& c = GetParam();
    const ScopedEnvironment home("HOME", c.home);
    const ScopedEnvironment dataHome("XDG_DATA_HOME", c.dataHome);
    const ScopedEnvironment winePrefix("WINEPREFIX", c.winePrefix);
    EXPECT_EQ(UserDataDirectory(), c.data);
    EXPECT_EQ(WinePrefix(), c.wine);
}

INSTANTIATE_TEST_SUITE_P(
    Environments, UserDirectoriesTest,
    testing::Values(
        // The defaults below the home directory, a trailing separator or not.
        Case{"/home/op", {}, {}, "/home/op/.local/share", "/home/op/.wine"},
        Case{"/home/op//", {}, {}, "/home/op/.local/share", "/home/op/.wine"},
        Case{"/", {}, {}, "/.local/share", "/.wine"},
        // Set variables win; empty ones count as unset.
        Case{"/home/op", "/srv/data/", "/srv/wine/", "/srv/data", "/srv/wine"},
        Case{"/home/op", "", "", "/home/op/.local/share", "/home/op/.wine"},
        Case{"/home/op", "/srv/my data", "/srv/my wine", "/srv/my data", "/srv/my wine"},
        // A relative data directory is ignored, as the base directory rules ask.
        Case{"/home/op", "data", {}, "/home/op/.local/share", "/home/op/.wine"},
        Case{{}, "/srv/data", "/srv/wine", "/srv/data", "/srv/wine"}));

TEST(HomeDirectory, WithoutHomeFallsBackToTheAccount) {
    const ScopedEnvironment home("HOME", std::nullopt);
    const std::string account = HomeDirectory();
    // Whatever the account database says; never a relative path, never a trailing '/'.
    if (!account.empty()) {
        EXPECT_EQ(account.front(), '/');
        EXPECT_TRUE(account == "/" || account.back() != '/') << account;
    }
    EXPECT_EQ(WinePrefix(), account.empty() ? "" : (account == "/" ? "" : account) + "/.wine");
}

} // namespace
