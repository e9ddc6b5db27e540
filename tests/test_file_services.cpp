#include "common/ErrorCodes.h"
#include "common/FileServices.h"
#include "tests/support/TestSupport.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

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

// A FIFO, a socket or a device where a file is expected: every reader refuses it at once. The
// alarm ends the test process instead of letting an open hang the suite.
class SpecialFileTest : public FileServicesTest {
protected:
    SpecialFileTest() { alarm(30); }
    ~SpecialFileTest() override { alarm(0); }
    std::string Fifo(const std::string& name)
    {
        const std::string path = sandbox.Path(name);
        EXPECT_EQ(mkfifo(path.c_str(), 0644), 0);
        return path;
    }
    std::string Socket(const std::string& name)
    {
        const std::string path = sandbox.Path(name);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
        socketFd = socket(AF_UNIX, SOCK_STREAM, 0);
        EXPECT_EQ(bind(socketFd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        return path;
    }
    void TearDown() override
    {
        if (socketFd >= 0)
            close(socketFd);
    }
    int socketFd = -1;
};

TEST_F(SpecialFileTest, EveryReaderRefusesWhatIsNotARegularFileWithoutWaiting)
{
    for (const std::string& path : {Fifo("x.mwd"), Socket("s.mwd"), std::string("/dev/zero"), sandbox.Path()}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(OpenRegularFile(path), -1);
        EXPECT_EQ(CanOpenFile(path), 0);
        uint8_t buffer[16] = {};
        EXPECT_EQ(ReadWholeFile(path, buffer, sizeof buffer), 0);
        EXPECT_EQ(sink.Take(), std::vector<std::string>{kOpenFailure});
    }
    const std::string regular = sandbox.Path("song.mwd");
    WriteFileBytes(regular, std::vector<uint8_t>(10, 7));
    const int fd = OpenRegularFile(regular);
    ASSERT_GE(fd, 0);
    uint8_t byte = 0;
    EXPECT_EQ(read(fd, &byte, 1), 1) << "the descriptor reads as a blocking one again";
    close(fd);
}

TEST_F(SpecialFileTest, AWriteThroughALinkReplacesOnlyARegularFile)
{
    const std::string fifo = Fifo("pipe"), link = sandbox.Path("setup.ini");
    fs::create_symlink("pipe", link);
    const std::vector<uint8_t> bytes(184, 2);
    EXPECT_EQ(WriteWholeFile(link, bytes.data(), bytes.size()), 0);
    EXPECT_EQ(sink.Take(), std::vector<std::string>{kOpenFailure});
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(WriteWholeFile(fifo, bytes.data(), bytes.size()), 0) << "nor a FIFO named directly";
    EXPECT_TRUE(fs::is_fifo(fifo));
    for (const auto& e : fs::directory_iterator(sandbox.Path()))
        EXPECT_TRUE(e.path().filename() == "pipe" || e.path().filename() == "setup.ini" || e.path().filename() == "config")
            << "temporary file left: " << e.path();
}

TEST_F(SpecialFileTest, ALoopOfLinksIsRefusedAndKept)
{
    const std::string a = sandbox.Path("la.png"), b = sandbox.Path("lb.png"), self = sandbox.Path("self.png");
    fs::create_symlink("lb.png", a);
    fs::create_symlink("la.png", b);
    fs::create_symlink("self.png", self);
    const std::vector<uint8_t> bytes(100, 3);
    for (const std::string& path : {a, b, self}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(WriteWholeFile(path, bytes.data(), bytes.size()), 0);
        EXPECT_EQ(sink.Take(), std::vector<std::string>{kOpenFailure});
        EXPECT_EQ(BeginReplacingFile(path), "");
        EXPECT_TRUE(fs::is_symlink(path));
    }
    EXPECT_EQ(fs::read_symlink(a), "lb.png");
    EXPECT_EQ(fs::read_symlink(b), "la.png");
    size_t entries = 0;
    for (const auto& e : fs::directory_iterator(sandbox.Path()))
        entries += e.path().filename() != "config";
    EXPECT_EQ(entries, 3u) << "no temporary file is left";
}

// A name the file system takes (up to 255 bytes) is written although NAME.XXXXXX would not fit.
TEST_F(FileServicesTest, NamesUpToTheFileSystemsLimitAreWritten)
{
    struct InSandbox { // the sandbox's own path would pass the 259 bytes: names relative to it
        const fs::path before = fs::current_path();
        explicit InSandbox(const std::string& folder) { fs::current_path(folder); }
        ~InSandbox() { fs::current_path(before); }
    } inSandbox(sandbox.Path());
    std::string kana;
    for (int i = 0; i < 85; ++i)
        kana += "\xe3\x81\x82"; // 255 bytes of three-byte characters
    for (const std::string& name : {std::string(249, 'n'), std::string(255, 'n'), kana}) {
        SCOPED_TRACE(name.size());
        const std::vector<uint8_t> bytes(name.size(), 5);
        EXPECT_EQ(WriteWholeFile(name, bytes.data(), bytes.size()), 1);
        EXPECT_EQ(ReadFileBytes(name), bytes);
        const std::string temp = BeginReplacingFile(name);
        ASSERT_FALSE(temp.empty());
        EXPECT_LE(temp.size(), 255u);
        EXPECT_EQ(temp.find('/'), std::string::npos) << "beside the target";
        EXPECT_TRUE(FinishReplacingFile(name, temp, true));
        EXPECT_TRUE(ReadFileBytes(name).empty()) << "the writer's (empty) file replaced it";
        fs::remove(name);
    }
    size_t entries = 0;
    for (const auto& e : fs::directory_iterator(sandbox.Path()))
        entries += e.path().filename() != "config";
    EXPECT_EQ(entries, 0u) << "no temporary file is left";
    EXPECT_EQ(sink.Count(), 0u);
}

// Past the file-size limit a write fails as on a full disk: the old file stays whole.
TEST_F(FileServicesTest, AWriteCutShortByTheFileSizeLimitKeepsTheOldFile)
{
    const std::string path = sandbox.Path("song.mwd");
    const std::vector<uint8_t> oldBytes(1000, 1), newBytes(94540, 2);
    WriteFileBytes(path, oldBytes);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 40960;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const int written = WriteWholeFile(path, newBytes.data(), newBytes.size());
    const std::string temp = BeginReplacingFile(path);
    const bool finished = FinishReplacingFile(path, temp, false);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(written, 0);
    EXPECT_EQ(sink.Take(), std::vector<std::string>{kOpenFailure});
    EXPECT_EQ(ReadFileBytes(path), oldBytes);
    EXPECT_FALSE(temp.empty());
    EXPECT_FALSE(finished) << "a writer that failed never replaces the file";
    EXPECT_EQ(ReadFileBytes(path), oldBytes);
    for (const auto& e : fs::directory_iterator(sandbox.Path()))
        EXPECT_EQ(e.path().filename().string().rfind("song.mwd.", 0), std::string::npos) << "temporary file left: " << e.path();
}
