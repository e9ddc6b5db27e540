#include "common/ErrorCodes.h"
#include "common/FileServices.h"
#include "tests/support/TestSupport.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

class FileServicesTest : public ::testing::Test {
protected:
    SandboxDir sandbox;
    RecordingSink sink;
    const std::string kOpenFailure = FormatCodedMessage("GENE", GeneralError::kCannotOpenFile,
                                                        GeneralErrorText(GeneralError::kCannotOpenFile));
};

TEST_F(FileServicesTest, ExistenceAndSizeOfFilesAndFolders)
{
    WriteFileBytes(sandbox.Path("Song.MWD"), std::vector<uint8_t>(1234, 7));
    fs::create_directory(sandbox.Path("folder"));

    EXPECT_EQ(FileExists(sandbox.Path("Song.MWD")), 1);
    EXPECT_EQ(FileExists(sandbox.Path("*.mwd")), 1) << "wildcards match without regard to case";
    EXPECT_EQ(FileExists(sandbox.Path("fold?r")), 1);
    EXPECT_EQ(FileExists(sandbox.Path("*.txt")), 0);
    EXPECT_EQ(FileExists(sandbox.Path("missing")), 0);

    EXPECT_EQ(CanOpenFile(sandbox.Path("Song.MWD")), 1);
    EXPECT_EQ(CanOpenFile(sandbox.Path("missing")), 0);
    EXPECT_EQ(CanOpenFile(sandbox.Path("folder")), 0);

    EXPECT_EQ(GetFileSize(sandbox.Path("Song.MWD")), 1234u);
    EXPECT_EQ(GetFileSize(sandbox.Path("*.mwd")), 1234u);
    EXPECT_EQ(GetFileSize(sandbox.Path("folder")), 0u);
    EXPECT_EQ(GetFileSize(sandbox.Path("missing")), 0u);
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(FileServicesTest, FileOfFourGibibytesIsReportedAndGivesItsLowBits)
{
    const std::string path = sandbox.Path("huge");
    { std::ofstream touch(path); }
    fs::resize_file(path, (uint64_t(1) << 32) + 5); // sparse: costs no disk
    EXPECT_EQ(GetFileSize(path), 5u);
    EXPECT_EQ(sink.Take(), (std::vector<std::string>{"GENE0100000D ファイルサイズにエラーがあります。"}));
}

TEST_F(FileServicesTest, ReadWholeFileReportsOpenFailureAndShortRead)
{
    uint8_t buffer[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    EXPECT_EQ(ReadWholeFile(sandbox.Path("missing"), buffer, 8), 0);
    EXPECT_EQ(sink.Take(), std::vector<std::string>{kOpenFailure});

    WriteFileBytes(sandbox.Path("short"), {1, 2, 3});
    EXPECT_EQ(ReadWholeFile(sandbox.Path("short"), buffer, 8), 1);
    EXPECT_EQ(sink.Take(), (std::vector<std::string>{"GENE0100000A データが大きすぎます。"}));
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 8), (std::vector<uint8_t>{1, 2, 3, 9, 9, 9, 9, 9}))
        << "the unread part stays as it was";
}

TEST_F(FileServicesTest, PathsBeyondTheBufferAreRefusedLikeAFailedOpen)
{
    const std::string longPath = sandbox.Path(std::string(300, 'a'));
    uint8_t b = 0;
    EXPECT_EQ(CanOpenFile(longPath), 0);
    EXPECT_EQ(ReadWholeFile(longPath, &b, 1), 0);
    EXPECT_EQ(WriteWholeFile(longPath, &b, 1), 0);
    EXPECT_EQ(sink.Take(), (std::vector<std::string>{kOpenFailure, kOpenFailure}));
}

TEST_F(FileServicesTest, WriteReplacesTheFileWholeAndKeepsTheOldOneOnFailure)
{
    const std::string path = sandbox.Path("setup.ini");
    const std::vector<uint8_t> first(184, 1), second(10, 2);
    ASSERT_EQ(WriteWholeFile(path, first.data(), first.size()), 1);
    ASSERT_EQ(WriteWholeFile(path, second.data(), second.size()), 1);
    EXPECT_EQ(ReadFileBytes(path), second);

    // A folder that vanished: the write fails and says so.
    const std::string gone = sandbox.Path("gone/setup.ini");
    EXPECT_EQ(WriteWholeFile(gone, first.data(), first.size()), 0);
    // A target that is a folder cannot be replaced; nothing is lost and no stray file stays.
    fs::create_directory(sandbox.Path("taken"));
    EXPECT_EQ(WriteWholeFile(sandbox.Path("taken"), first.data(), first.size()), 0);
    EXPECT_EQ(sink.Take(), (std::vector<std::string>{kOpenFailure, kOpenFailure}));
    EXPECT_TRUE(fs::is_directory(sandbox.Path("taken")));
    int files = 0;
    for (const auto& e : fs::directory_iterator(sandbox.root))
        files += e.is_regular_file();
    EXPECT_EQ(files, 1);
}

TEST_F(FileServicesTest, CreateFolderPathMakesEveryLevel)
{
    CreateFolderPath(sandbox.Path("a/b/c"));
    EXPECT_TRUE(fs::is_directory(sandbox.Path("a/b/c")));
    CreateFolderPath(sandbox.Path("x/y/z/"));
    EXPECT_TRUE(fs::is_directory(sandbox.Path("x/y/z")));
    // A level that is a file cannot be created; the walk goes on silently.
    WriteFileBytes(sandbox.Path("file"), {1});
    CreateFolderPath(sandbox.Path("file/below"));
    EXPECT_FALSE(fs::exists(sandbox.Path("file/below")));
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(FileServicesTest, SettingsFolderIsCreatedBelowTheConfigHome)
{
    const std::string folder = GetSettingsFolder("PV");
    EXPECT_EQ(folder, sandbox.ConfigHome() + "/PV");
    EXPECT_TRUE(fs::is_directory(folder)) << "created with every missing level";

    setenv("XDG_CONFIG_HOME", (sandbox.ConfigHome() + "/").c_str(), 1);
    EXPECT_EQ(GetSettingsFolder("PV"), sandbox.ConfigHome() + "/PV") << "no doubled separator";
    setenv("XDG_CONFIG_HOME", "/", 1);
    EXPECT_EQ(JoinPath("/", "PV"), "/PV");
    EXPECT_EQ(JoinPath("/base", "Archive"), "/base/Archive");
}

TEST(MemoryBlocks, AllocZeroedGivesZerosAndReportsFailure)
{
    RecordingSink sink;
    auto* block = static_cast<uint8_t*>(AllocZeroed(260));
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 260; ++i)
        ASSERT_EQ(block[i], 0);
    FreeBlock(block);
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(FileServicesTest, ANameWithWildcardCharactersIsItsOwnFileWhenItExists)
{
    WriteFileBytes(sandbox.Path("a1.mwd"), std::vector<uint8_t>(100, 1));
    WriteFileBytes(sandbox.Path("a?.mwd"), std::vector<uint8_t>(94540, 2));
    WriteFileBytes(sandbox.Path("b*"), std::vector<uint8_t>(7, 3));
    EXPECT_EQ(GetFileSize(sandbox.Path("a?.mwd")), 94540u);
    EXPECT_EQ(GetFileSize(sandbox.Path("b*")), 7u);
    fs::remove(sandbox.Path("a?.mwd"));
    EXPECT_EQ(GetFileSize(sandbox.Path("a?.mwd")), 100u) << "with no file of that name, the pattern matches";
    EXPECT_EQ(sink.Count(), 0u);
}

class ProtectedSettingsFileTest : public FileServicesTest {
protected:
    const std::vector<uint8_t> oldBytes = std::vector<uint8_t>(10, 1);
    const std::vector<uint8_t> newBytes = std::vector<uint8_t>(184, 2);
    bool Write(const std::string& path) { return WriteWholeFile(path, newBytes.data(), newBytes.size()) == 1; }
    std::vector<std::string> FolderEntries()
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(sandbox.Path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(ProtectedSettingsFileTest, AFileWithoutWriteBitsStaysAsItIs)
{
    const std::string path = sandbox.Path("setup.ini");
    WriteFileBytes(path, oldBytes);
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_FALSE(Write(path)) << "refused by its bits, also when root runs the test";
    EXPECT_EQ(sink.Take(), std::vector<std::string>{kOpenFailure});
    EXPECT_EQ(ReadFileBytes(path), oldBytes);
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::group_read);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"setup.ini"});
}

TEST_F(ProtectedSettingsFileTest, TheFileKeepsItsModeAndALinkIsWrittenThrough)
{
    const std::string real = sandbox.Path("real.ini"), link = sandbox.Path("setup.ini");
    WriteFileBytes(real, oldBytes);
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("real.ini", link);
    EXPECT_TRUE(Write(link));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(real), newBytes);
    EXPECT_EQ(fs::status(real).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"real.ini", "setup.ini"}));
    EXPECT_EQ(sink.Count(), 0u);
}
