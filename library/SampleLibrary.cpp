#include "library/SampleLibrary.h"

#include "common/TextTranslation.h"
#include "common/FileServices.h"
#include "common/Messages.h"
#include "library/CDirectoryFileList.h"
#include "library/LibraryLoader.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Samples are song files of 90 KiB and small scores; anything bigger is no sample of ours.
constexpr off_t kMaxSampleBytes = 16 * 1024 * 1024;

std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    const passwd* pw = getpwuid(getuid());
    return pw ? pw->pw_dir : "/tmp";
}

bool WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Copies one sample to a name that must be new: O_EXCL refuses a file the player made in
// the meantime, and only the file made here is removed when the copy falls short.
bool CopyNewFile(const std::string& from, const std::string& to)
{
    const int in = OpenRegularFile(from);
    if (in < 0)
        return false;
    struct stat st {};
    std::vector<char> bytes;
    bool ok = fstat(in, &st) == 0 && st.st_size <= kMaxSampleBytes;
    if (ok) {
        bytes.resize(static_cast<size_t>(st.st_size));
        ok = read(in, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    close(in);
    if (!ok)
        return false;
    const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (out < 0)
        return errno == EEXIST; // the player's own file of that name stays, as intended
    ok = WriteAll(out, bytes.data(), bytes.size()) && fsync(out) == 0;
    ok = close(out) == 0 && ok;
    if (!ok)
        unlink(to.c_str());
    return ok;
}

std::string Resolved(const std::string& folder)
{
    std::error_code ec;
    const fs::path path = fs::canonical(folder, ec);
    return ec ? std::string() : path.string();
}

} // namespace

std::string UserLibraryBase()
{
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        return JoinPath(xdg, "DovrelPlinvara");
    return JoinPath(JoinPath(HomeFolder(), ".local/share"), "DovrelPlinvara");
}

bool HoldsSongFiles(const std::string& folder)
{
    if (CDirectoryFileList(folder, "*.mwd").EntryCount() > 0)
        return true;
    return std::any_of(std::begin(kLibraryScorePatterns), std::end(kLibraryScorePatterns),
                       [&](const char* pattern) { return CDirectoryFileList(folder, pattern).EntryCount() > 0; });
}

bool CopySampleLibrary(const std::string& samples, const std::string& library)
{
    if (HoldsSongFiles(library))
        return true;
    const auto failed = [&] {
        ShowMessage(FilledText(CoreText::translate("Messages", "見本の曲をライブラリ（%1）にコピーできませんでした。"), {library}));
        return false;
    };
    std::error_code ec;
    fs::create_directories(library, ec);
    if (ec || !fs::is_directory(library, ec))
        return failed();
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(samples, ec))
        if (entry.is_regular_file(ec))
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    bool ok = true;
    for (const std::string& name : names)
        ok = CopyNewFile(JoinPath(samples, name), JoinPath(library, name)) && ok;
    return ok || failed();
}

std::string ChooseLibraryBase(const std::string& startFolder, const std::string& installedData,
                              const std::string& ownBase)
{
    const std::string start = Resolved(startFolder);
    if (start.empty() || start != Resolved(installedData))
        return startFolder;
    if (!CopySampleLibrary(JoinPath(installedData, "Archive"), JoinPath(ownBase, "Archive")) &&
        !HoldsSongFiles(JoinPath(ownBase, "Archive")))
        return startFolder;
    return ownBase;
}
