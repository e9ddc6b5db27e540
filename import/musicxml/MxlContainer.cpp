#include "import/musicxml/MxlContainer.h"

#include <cstring>
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <zip.h>

namespace {

struct ZipCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};
struct ZipFileCloser {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};
using ZipPtr = std::unique_ptr<zip_t, ZipCloser>;

ZipPtr OpenArchive(const std::vector<uint8_t>& archive)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(archive.data(), archive.size(), 0, &error);
    if (!source) {
        zip_error_fini(&error);
        return nullptr;
    }
    // No consistency check: it refuses entries whose sizes follow their data, as many zip
    // writers make them. The central directory's sizes bound every read all the same.
    zip_t* z = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!z)
        zip_source_free(source);
    zip_error_fini(&error);
    return ZipPtr(z);
}

// Every entry's stated size is checked before any is unpacked.
bool WithinLimits(zip_t* z)
{
    const zip_int64_t count = zip_get_num_entries(z, 0);
    if (count < 0 || count > kMaxMxlEntries)
        return false;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(z, static_cast<zip_uint64_t>(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE) ||
            st.size > kMaxMxlEntryBytes)
            return false;
    }
    return true;
}

bool ReadEntry(zip_t* z, const char* name, std::vector<uint8_t>& out)
{
    const zip_int64_t index = zip_name_locate(z, name, 0);
    zip_stat_t st;
    zip_stat_init(&st);
    if (index < 0 || zip_stat_index(z, static_cast<zip_uint64_t>(index), 0, &st) != 0)
        return false;
    std::unique_ptr<zip_file_t, ZipFileCloser> file(zip_fopen_index(z, static_cast<zip_uint64_t>(index), 0));
    if (!file)
        return false;
    // The stated size bounds the read; an entry that unpacks to more is refused.
    out.assign(static_cast<size_t>(st.size), 0);
    size_t got = 0;
    while (got < out.size()) {
        const zip_int64_t n = zip_fread(file.get(), out.data() + got, out.size() - got);
        if (n <= 0)
            return false;
        got += static_cast<size_t>(n);
    }
    uint8_t extra;
    return zip_fread(file.get(), &extra, 1) == 0;
}

std::string RootFilePath(const std::vector<uint8_t>& container)
{
    pugi::xml_document doc;
    if (!doc.load_buffer(container.data(), container.size()))
        return {};
    for (pugi::xml_node root : doc.child("container").child("rootfiles").children("rootfile")) {
        const char* type = root.attribute("media-type").as_string("");
        // The first MusicXML root file; other media types name alternative renderings.
        if (*type == 0 || std::strstr(type, "musicxml"))
            return root.attribute("full-path").as_string("");
    }
    return {};
}

} // namespace

bool LooksLikeZip(const std::vector<uint8_t>& bytes)
{
    return bytes.size() >= 4 && bytes[0] == 'P' && bytes[1] == 'K' && bytes[2] == 3 && bytes[3] == 4;
}

bool UnpackMxlRootFile(const std::vector<uint8_t>& archive, std::vector<uint8_t>& rootFile)
{
    ZipPtr z = OpenArchive(archive);
    if (!z || !WithinLimits(z.get()))
        return false;
    std::vector<uint8_t> container;
    if (!ReadEntry(z.get(), "META-INF/container.xml", container))
        return false;
    const std::string path = RootFilePath(container);
    return !path.empty() && ReadEntry(z.get(), path.c_str(), rootFile);
}
