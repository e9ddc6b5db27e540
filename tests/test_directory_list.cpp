#include "library/CDirectoryFileList.h"
#include "tests/support/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Names(const CDirectoryFileList& list)
{
    std::vector<std::string> names;
    for (int i = 0; i < list.EntryCount(); ++i)
        names.emplace_back(list.Entry(i));
    return names;
}

} // namespace

TEST(DirectoryFileList, TakesMatchingFilesAndFoldersInFoldedNameOrder)
{
    SandboxDir sandbox;
    WriteFileBytes(sandbox.Path("b.mwd"), {1});
    WriteFileBytes(sandbox.Path("A.MWD"), {1});
    WriteFileBytes(sandbox.Path("notes.txt"), {1});
    WriteFileBytes(sandbox.Path(".hidden.mwd"), {1});
    fs::create_directory(sandbox.Path("folder.mwd"));

    CDirectoryFileList list(sandbox.Path(), "*.mwd");
    EXPECT_EQ(Names(list), (std::vector<std::string>{".hidden.mwd", "A.MWD", "b.mwd", "folder.mwd"}));
    EXPECT_EQ(list.Folder(), sandbox.Path());

    CDirectoryFileList all(sandbox.Path() + "/", "*");
    for (const std::string& name : Names(all)) {
        EXPECT_NE(name, ".");
        EXPECT_NE(name, "..");
        EXPECT_EQ(name.find('/'), std::string::npos) << "names are relative to the folder";
    }
}

TEST(DirectoryFileList, MissingOrEmptyFolderGivesNoEntries)
{
    SandboxDir sandbox;
    RecordingSink sink;
    EXPECT_EQ(CDirectoryFileList(sandbox.Path("missing"), "*.mwd").EntryCount(), 0);
    EXPECT_EQ(CDirectoryFileList(sandbox.Path(), "*.mwd").EntryCount(), 0);
    WriteFileBytes(sandbox.Path("file"), {1});
    EXPECT_EQ(CDirectoryFileList(sandbox.Path("file"), "*").EntryCount(), 0);
    EXPECT_EQ(sink.Count(), 0u);
}
