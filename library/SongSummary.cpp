#include "library/SongSummary.h"

#include "common/FileServices.h"

#include <fcntl.h>
#include <unistd.h>

namespace {

std::string NameWithoutExtension(const std::string& fileName)
{
    const std::string extension = ".mwd";
    if (fileName.size() > extension.size() && HasSuffix(fileName, extension))
        return fileName.substr(0, fileName.size() - extension.size());
    return fileName;
}

} // namespace

SongSummary ReadSongSummary(const std::string& path, const std::string& fileName)
{
    SongSummary summary;
    uint8_t block[SummaryBlock::kSize];
    ssize_t got = -1;
    if (const int fd = OpenRegularFile(path); fd >= 0) {
        got = pread(fd, block, sizeof block, SummaryBlock::kFileOffset);
        close(fd);
    }
    if (got != static_cast<ssize_t>(SummaryBlock::kSize)) {
        summary.title = NameWithoutExtension(fileName);
        return summary;
    }
    summary.fame = SummaryBlock::Fame(block);
    summary.title = SummaryBlock::Title(block);
    return summary;
}
