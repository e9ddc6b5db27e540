#include "common/FileServices.h"

#include "common/ErrorCodes.h"
#include "common/Messages.h"
#include "common/Utf8.h"
#include "common/Wildcard.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <new>
#include <pwd.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxLinkHops = 40; // as the kernel's own limit for a path

bool FitsPathBuffer(const std::string& path)
{
    return !path.empty() && path.size() <= kMaxPathBytes;
}

// Resolves a path whose last component may hold wildcards to the first matching entry,
// in the folded name order the directory listing uses.
bool FindFirstEntry(const std::string& path, std::string& found)
{
    if (!FitsPathBuffer(path))
        return false;
    const size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    // '*' and '?' are legal in names here: a file that has the name wins over a match.
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        found = path;
        return true;
    }
    if (!HasWildcard(name))
        return false;
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return false;
    std::string best;
    bool any = false;
    while (const dirent* e = readdir(dir)) {
        if (!std::strcmp(e->d_name, ".") || !std::strcmp(e->d_name, ".."))
            continue;
        if (WildcardMatch(name, e->d_name) && (!any || FoldedNameLess(e->d_name, best))) {
            best = e->d_name;
            any = true;
        }
    }
    closedir(dir);
    if (any)
        found = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + best;
    return any;
}

bool WriteAll(int fd, const uint8_t* data, size_t n)
{
    while (n > 0) {
        const ssize_t w = write(fd, data, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

// The path a symbolic link names (relative to the link's folder), else the path itself.
std::string ResolveLink(const std::string& path)
{
    std::string current = path;
    for (int hops = 0; hops < kMaxLinkHops; ++hops) {
        struct stat st;
        if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        char buf[4096];
        const ssize_t n = readlink(current.c_str(), buf, sizeof buf - 1);
        if (n <= 0)
            return current;
        const std::string link(buf, static_cast<size_t>(n));
        const size_t slash = current.find_last_of('/');
        current = (link[0] == '/' || slash == std::string::npos) ? link : current.substr(0, slash + 1) + link;
    }
    return current;
}

void SyncFolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

} // namespace

int FileExists(const std::string& path)
{
    std::string found;
    return FindFirstEntry(path, found) ? 1 : 0;
}

int OpenRegularFile(const std::string& path)
{
    if (!FitsPathBuffer(path))
        return -1;
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return -1;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return -1;
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0)
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

int CanOpenFile(const std::string& path)
{
    const int fd = OpenRegularFile(path);
    if (fd < 0)
        return 0;
    close(fd);
    return 1;
}

uint32_t GetFileSize(const std::string& path)
{
    std::string found;
    struct stat st;
    if (!FindFirstEntry(path, found) || stat(found.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return 0;
    const auto size = static_cast<uint64_t>(st.st_size);
    if (size >> 32)
        ShowGeneralError(GeneralError::kFileSize);
    return static_cast<uint32_t>(size);
}

namespace {
void (*g_beforeRead)(const std::string&) = nullptr;
} // namespace

void SetBeforeReadHookForTests(void (*hook)(const std::string& path))
{
    g_beforeRead = hook;
}

int ReadWholeFile(const std::string& path, void* buffer, size_t byteCount)
{
    if (g_beforeRead)
        g_beforeRead(path);
    const int fd = OpenRegularFile(path);
    if (fd < 0) {
        ShowGeneralError(GeneralError::kCannotOpenFile);
        return 0;
    }
    auto* out = static_cast<uint8_t*>(buffer);
    size_t got = 0;
    while (got < byteCount) {
        const ssize_t r = read(fd, out + got, byteCount - got);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            break; // end of file, or a read error: both leave the rest unread
        got += static_cast<size_t>(r);
    }
    close(fd);
    if (got < byteCount)
        ShowGeneralError(GeneralError::kDataTooLarge);
    return 1;
}

namespace {

constexpr size_t kMaxNameBytes = 255; // of one path component, on every Linux file system
constexpr std::string_view kTempSuffix = ".XXXXXX";

// "NAME.XXXXXX" for mkostemp, NAME cut (never inside a UTF-8 character) so that the temporary
// name fits wherever the target's own name does.
std::string TemporaryNameBeside(const std::string& target)
{
    const size_t slash = target.find_last_of('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    return target.substr(0, nameStart) + CutUtf8(target.substr(nameStart), kMaxNameBytes - kTempSuffix.size()) +
           std::string(kTempSuffix);
}

// The temporary file beside the file that `path` names (through its links), open for writing
// with that file's permissions; -1 when the file may not be replaced.
int CreateReplacement(const std::string& path, std::string& temp)
{
    if (!FitsPathBuffer(path))
        return -1;
    // A link is written through, so the file it names is replaced, not the link.
    const std::string target = ResolveLink(path);
    mode_t mode = 0;
    struct stat st;
    if (lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
        return -1; // a loop of links, or one too long to follow: nothing to write through to
    if (stat(target.c_str(), &st) == 0) {
        // A file nobody may write is left as it is, whoever runs the program; so is a device
        // or FIFO, which a rename would replace by a plain file.
        if ((st.st_mode & 0222) == 0 || !S_ISREG(st.st_mode))
            return -1;
        mode = st.st_mode & 07777;
    } else if (errno != ENOENT) {
        return -1; // cannot be looked at, so cannot be known to be a regular file
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    temp = TemporaryNameBeside(target);
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd >= 0)
        fchmod(fd, mode);
    return fd;
}

// Renames the temporary file over the target when everything before succeeded and its data
// reached the disk; otherwise removes it. Closes fd.
bool CommitReplacement(const std::string& path, const std::string& temp, int fd, bool written)
{
    written = written && fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    const std::string target = ResolveLink(path);
    if (!written || !closed || rename(temp.c_str(), target.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    SyncFolderOf(target); // makes the rename itself survive a power cut
    return true;
}

} // namespace

int WriteWholeFile(const std::string& path, const void* buffer, size_t byteCount)
{
    std::string temp;
    const int fd = CreateReplacement(path, temp);
    if (fd < 0 || !CommitReplacement(path, temp, fd, WriteAll(fd, static_cast<const uint8_t*>(buffer), byteCount))) {
        ShowGeneralError(GeneralError::kCannotOpenFile);
        return 0;
    }
    return 1;
}

std::string BeginReplacingFile(const std::string& path)
{
    std::string temp;
    const int fd = CreateReplacement(path, temp);
    if (fd < 0)
        return {};
    close(fd); // the writer opens it by name
    return temp;
}

bool FinishReplacingFile(const std::string& path, const std::string& temp, bool written)
{
    const int fd = open(temp.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        unlink(temp.c_str());
        return false;
    }
    return CommitReplacement(path, temp, fd, written);
}

void CreateFolderPath(const std::string& folder)
{
    std::string path = folder;
    if (path.empty())
        return;
    if (path.back() != '/')
        path += '/';
    // Every "/" after the first character closes one level, from the top downwards.
    for (size_t i = 1; i < path.size(); ++i) {
        if (path[i] != '/' || path[i - 1] == '/')
            continue;
        mkdir(path.substr(0, i).c_str(), 0777);
    }
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool HasSuffix(const std::string& name, const std::string& suffix)
{
    if (name.size() < suffix.size())
        return false;
    return std::equal(suffix.begin(), suffix.end(), name.end() - static_cast<std::ptrdiff_t>(suffix.size()),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b)); });
}

std::string UserConfigFolder()
{
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        return xdg;
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd* pw = getpwuid(getuid());
        home = pw ? pw->pw_dir : "/tmp";
    }
    return JoinPath(home, ".config");
}

std::string GetSettingsFolder(const std::string& subFolder)
{
    const std::string folder = JoinPath(UserConfigFolder(), subFolder);
    if (!FileExists(folder))
        CreateFolderPath(folder);
    return folder;
}

namespace {
std::atomic<bool> g_failAllocations{false};
} // namespace

void FailBlockAllocationsForTests(bool fail)
{
    g_failAllocations = fail;
}

void* AllocZeroed(size_t byteCount)
{
    void* block = g_failAllocations ? nullptr : std::calloc(byteCount ? byteCount : 1, 1);
    if (!block)
        ShowGeneralError(GeneralError::kOutOfMemory);
    return block;
}

void FreeBlock(void* block)
{
    std::free(block);
}
