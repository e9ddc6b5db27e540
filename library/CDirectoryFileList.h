#pragma once
// A snapshot of the names in one folder that match a wildcard pattern, taken once.

#include <string>
#include <vector>

class CDirectoryFileList {
public:
    static constexpr int kMaxEntries = 29000;
    static constexpr int kEntrySize = 260;

    CDirectoryFileList(const std::string& folder, const std::string& pattern);
    virtual ~CDirectoryFileList();

    CDirectoryFileList(const CDirectoryFileList&) = delete;
    CDirectoryFileList& operator=(const CDirectoryFileList&) = delete;

    int EntryCount() const { return static_cast<int>(entries.size()); }
    // Name relative to the folder, NUL-terminated in its 260-byte block.
    const char* Entry(int index) const { return entries.at(static_cast<size_t>(index)); }
    const std::string& Folder() const { return folder; }

private:
    std::vector<char*> entries;
    std::string folder;
};
