#include "library/SampleLibrary.h"
#include "tests/support/TestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

// The installed samples' folder and the player's own base folder, both in a sandbox.
class SampleLibraryTest : public ::testing::Test {
protected:
    SandboxDir sandbox;
    RecordingSink sink;
    const std::string installed = sandbox.Path("usr/share/dovrelplinvara");
    const std::string samples = installed + "/Archive";
    const std::string own = sandbox.Path("home/.local/share/DovrelPlinvara");
    const std::string library = own + "/Archive";

    void SetUp() override
    {
        fs::create_directories(samples);
        WriteFileBytes(samples + "/twinkle.mwd", std::vector<uint8_t>(90444, 1));
        WriteFileBytes(samples + "/sakura.mwd", std::vector<uint8_t>(90444, 2));
        WriteFileBytes(samples + "/notes.txt", {'s'});
        fs::create_directories(samples + "/sub"); // only the folder's own files are samples
    }
};

TEST_F(SampleLibraryTest, AMissingOrSonglessLibraryGetsEverySample)
{
    EXPECT_TRUE(CopySampleLibrary(samples, library));
    EXPECT_EQ(ReadFileBytes(library + "/twinkle.mwd"), std::vector<uint8_t>(90444, 1));
    EXPECT_EQ(ReadFileBytes(library + "/sakura.mwd"), std::vector<uint8_t>(90444, 2));
    EXPECT_EQ(ReadFileBytes(library + "/notes.txt"), std::vector<uint8_t>{'s'});
    EXPECT_FALSE(fs::exists(library + "/sub"));
    EXPECT_TRUE(HoldsSongFiles(library));

    // A folder with only a file of the player's that no library lists still gets them, and
    // the player's file of a sample's name stays as it was.
    fs::remove_all(library);
    fs::create_directories(library);
    WriteFileBytes(library + "/notes.txt", {'m', 'i', 'n', 'e'});
    EXPECT_FALSE(HoldsSongFiles(library));
    EXPECT_TRUE(CopySampleLibrary(samples, library));
    EXPECT_EQ(ReadFileBytes(library + "/notes.txt"), (std::vector<uint8_t>{'m', 'i', 'n', 'e'}));
    EXPECT_TRUE(fs::exists(library + "/twinkle.mwd"));
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(SampleLibraryTest, ALibraryWithAPlayersSongIsLeftAlone)
{
    for (const char* song : {"mine.MWD", "reel.abc", "tune.mxl", "jig.midi"}) {
        fs::remove_all(library);
        fs::create_directories(library);
        WriteFileBytes(library + "/" + song, {'x'});
        WriteFileBytes(library + "/twinkle.mwd.ini", {'y'});
        EXPECT_TRUE(CopySampleLibrary(samples, library)) << song;
        EXPECT_FALSE(fs::exists(library + "/twinkle.mwd")) << song;
        EXPECT_FALSE(fs::exists(library + "/sakura.mwd")) << song;
        EXPECT_EQ(ReadFileBytes(library + "/" + song), std::vector<uint8_t>{'x'}) << song;
    }
}

TEST_F(SampleLibraryTest, ALibraryThatCannotBeMadeIsSaidAndNothingBreaks)
{
    // A file where the base folder would be: no permission bit helps, not even root's.
    fs::create_directories(sandbox.Path("home/.local/share"));
    WriteFileBytes(own, {'f'});
    EXPECT_FALSE(CopySampleLibrary(samples, library));
    EXPECT_EQ(sink.Take(), std::vector<std::string>{"見本の曲をライブラリ（" + library + "）にコピーできませんでした。"});
    EXPECT_EQ(ReadFileBytes(own), std::vector<uint8_t>{'f'});

    // The window then starts among the installed samples, which the library still lists.
    EXPECT_EQ(ChooseLibraryBase(installed, installed, own), installed);
    EXPECT_EQ(sink.Take().size(), 1u);
}

TEST_F(SampleLibraryTest, OnlyAStartAmongTheInstalledSamplesMovesToThePlayersFolder)
{
    // Started elsewhere (the developer's build folder, a terminal's folder): nothing changes.
    const std::string elsewhere = sandbox.Path("build/samples");
    fs::create_directories(elsewhere);
    EXPECT_EQ(ChooseLibraryBase(elsewhere, installed, own), elsewhere);
    EXPECT_FALSE(fs::exists(own));
    EXPECT_EQ(ChooseLibraryBase(sandbox.Path("gone"), installed, own), sandbox.Path("gone"));

    // Started in the installed folder, also by another path to it: the player's own folder,
    // stocked once; the player's later changes survive the next start.
    fs::create_directory_symlink(installed, sandbox.Path("link"));
    EXPECT_EQ(ChooseLibraryBase(sandbox.Path("link") + "/", installed, own), own);
    EXPECT_TRUE(fs::exists(library + "/twinkle.mwd"));
    fs::remove(library + "/twinkle.mwd");
    WriteFileBytes(library + "/sakura.mwd", {'z'});
    EXPECT_EQ(ChooseLibraryBase(installed, installed, own), own);
    EXPECT_FALSE(fs::exists(library + "/twinkle.mwd"));
    EXPECT_EQ(ReadFileBytes(library + "/sakura.mwd"), std::vector<uint8_t>{'z'});
    EXPECT_EQ(sink.Count(), 0u);
}

TEST(UserLibraryBaseTest, FollowsXdgDataHomeElseHome)
{
    const char* data = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    const std::string oldData = data ? data : "", oldHome = home ? home : "";
    setenv("XDG_DATA_HOME", "/tmp/data", 1);
    EXPECT_EQ(UserLibraryBase(), "/tmp/data/DovrelPlinvara");
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", "/home/player", 1);
    EXPECT_EQ(UserLibraryBase(), "/home/player/.local/share/DovrelPlinvara");
    data ? setenv("XDG_DATA_HOME", oldData.c_str(), 1) : unsetenv("XDG_DATA_HOME");
    home ? setenv("HOME", oldHome.c_str(), 1) : unsetenv("HOME");
}
