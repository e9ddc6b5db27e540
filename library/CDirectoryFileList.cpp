#include "library/CDirectoryFileList.h"

#include "common/FileServices.h"
#include "common/Wildcard.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>

CDirectoryFileList::CDirectoryFileList(const std::string& folder, const std::string& pattern)
    : folder(folder)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.empty() ? "." : folder.c_str())) {
        while (const dirent* e = readdir(dir)) {
            if (!std::strcmp(e->d_name, ".") || !std::strcmp(e->d_name, ".."))
                continue;
            // A name that would not fit its block is left out rather than cut.
            if (std::strlen(e->d_name) < kEntrySize && WildcardMatch(pattern, e->d_name))
                names.emplace_back(e->d_name);
        }
        closedir(dir);
    }
    // The platform's enumeration order is arbitrary here; the folded name order is what
    // the song collection's home file system yields.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return FoldedNameLess(a, b);
    });
    if (names.size() > static_cast<size_t>(kMaxEntries))
        names.resize(kMaxEntries);

    entries.reserve(names.size());
    for (const std::string& name : names) {
        auto* block = static_cast<char*>(AllocZeroed(kEntrySize));
        if (!block)
            break; // the message is shown; keep what was listed so far
        std::memcpy(block, name.data(), name.size());
        entries.push_back(block);
    }
}

CDirectoryFileList::~CDirectoryFileList()
{
    for (char* block : entries)
        FreeBlock(block);
}
