#include "audio/SoundFontCheck.h"

#include "common/ByteIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <span>
#include <vector>

namespace {

// Record sizes of the preset tables.
constexpr size_t kPresetRecord = 38, kBagRecord = 4, kGenRecord = 4, kInstrumentRecord = 22, kSampleRecord = 46;
constexpr uint16_t kInstrumentGenerator = 41, kSampleGenerator = 53;

class File {
public:
    explicit File(const std::string& path)
    {
        // Never waits on a FIFO or device: only a regular file is read.
        fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        struct stat st;
        if (fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
            size = static_cast<uint64_t>(st.st_size);
        else
            Close();
    }
    ~File() { Close(); }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool Open() const { return fd >= 0; }
    uint64_t Size() const { return size; }
    // Exactly `count` bytes at `offset`, or an empty vector.
    std::vector<uint8_t> Read(uint64_t offset, size_t count) const
    {
        std::vector<uint8_t> out(count);
        size_t done = 0;
        while (done < count) {
            const ssize_t n = pread(fd, out.data() + done, count - done, static_cast<off_t>(offset + done));
            if (n <= 0)
                return {};
            done += static_cast<size_t>(n);
        }
        return out;
    }

private:
    void Close()
    {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }
    int fd = -1;
    uint64_t size = 0;
};

bool IsId(std::span<const uint8_t> b, size_t offset, const char* id)
{
    return b.size() >= offset + 4 && std::memcmp(b.data() + offset, id, 4) == 0;
}

uint16_t Word(std::span<const uint8_t> b, size_t offset)
{
    return static_cast<uint16_t>(bytes::ReadInt16(b, offset));
}

struct Chunk {
    uint64_t offset = 0; // of its data
    uint64_t size = 0;
    bool found = false;
};

struct Layout {
    Chunk samples, samples24, presets;
};

// The top-level chunks and those of the LIST chunks "sdta" and "pdta"; false when one reaches
// past the file.
bool ReadLayout(const File& file, uint64_t from, uint64_t to, Layout& layout, int depth)
{
    for (uint64_t at = from; at + 8 <= to;) {
        const std::vector<uint8_t> head = file.Read(at, 12);
        if (head.size() < 8)
            return false;
        const uint64_t size = bytes::ReadUInt32(head, 4);
        const uint64_t end = at + 8 + size;
        if (end > file.Size())
            return false;
        if (IsId(head, 0, "LIST") && depth == 0 && size >= 4) {
            if (IsId(head, 8, "sdta") || IsId(head, 8, "pdta")) {
                if (IsId(head, 8, "pdta"))
                    layout.presets = {at + 12, size - 4, true};
                if (!ReadLayout(file, at + 12, end, layout, 1))
                    return false;
            }
        } else if (depth == 1 && IsId(head, 0, "smpl")) {
            layout.samples = {at + 8, size, true};
        } else if (depth == 1 && IsId(head, 0, "sm24")) {
            layout.samples24 = {at + 8, size, true};
        }
        at = end + (size & 1);
    }
    return true;
}

class PresetTables {
public:
    // False when a table is missing or not whole records.
    bool Read(std::span<const uint8_t> data)
    {
        for (size_t at = 0; at + 8 <= data.size();) {
            const size_t size = bytes::ReadUInt32(data, at + 4);
            if (size > data.size() - at - 8)
                return false;
            tables[std::string(reinterpret_cast<const char*>(data.data() + at), 4)] = data.subspan(at + 8, size);
            at += 8 + size;
        }
        return Whole("phdr", kPresetRecord) && Whole("pbag", kBagRecord) && Whole("pgen", kGenRecord) &&
               Whole("inst", kInstrumentRecord) && Whole("ibag", kBagRecord) && Whole("igen", kGenRecord) &&
               Whole("shdr", kSampleRecord);
    }
    // Records of a table, its closing one not counted.
    size_t Count(const char* id) const { return tables.at(id).size() / Record(id) - 1; }
    std::span<const uint8_t> Table(const char* id) const { return tables.at(id); }

    static size_t Record(const std::string& id)
    {
        return id == "phdr" ? kPresetRecord : id == "inst" ? kInstrumentRecord : id == "shdr" ? kSampleRecord : kGenRecord;
    }

private:
    bool Whole(const char* id, size_t record) const
    {
        const auto t = tables.find(id);
        return t != tables.end() && t->second.size() % record == 0 && t->second.size() >= 2 * record;
    }
    std::map<std::string, std::span<const uint8_t>> tables;
};

// The generators of the zones of bags [firstBag, lastBag) that have the operator; false when an
// index leads outside its table.
bool ZoneValues(const PresetTables& t, const char* bags, const char* gens, size_t firstBag, size_t lastBag,
                uint16_t oper, std::vector<size_t>& values)
{
    if (firstBag > lastBag || lastBag > t.Count(bags))
        return false;
    for (size_t bag = firstBag; bag < lastBag; ++bag) {
        const size_t firstGen = Word(t.Table(bags), bag * kBagRecord);
        const size_t lastGen = Word(t.Table(bags), (bag + 1) * kBagRecord);
        if (firstGen > lastGen || lastGen > t.Count(gens))
            return false;
        for (size_t g = firstGen; g < lastGen; ++g)
            if (Word(t.Table(gens), g * kGenRecord) == oper)
                values.push_back(Word(t.Table(gens), g * kGenRecord + 2));
    }
    return true;
}

} // namespace

SoundFontFault CheckSoundFont(const std::string& path, int bank, int program)
{
    const File file(path);
    if (!file.Open())
        return SoundFontFault::kNotSoundFont;
    const std::vector<uint8_t> head = file.Read(0, 12);
    if (!IsId(head, 0, "RIFF") || !IsId(head, 8, "sfbk"))
        return SoundFontFault::kNotSoundFont;
    Layout layout;
    if (!ReadLayout(file, 12, std::min<uint64_t>(file.Size(), 8 + uint64_t(bytes::ReadUInt32(head, 4))), layout, 0) ||
        !layout.samples.found || !layout.presets.found)
        return SoundFontFault::kDamaged;
    if (layout.presets.size > kMaxPresetTableBytes)
        return SoundFontFault::kTooLarge;
    const std::vector<uint8_t> presetData = file.Read(layout.presets.offset, static_cast<size_t>(layout.presets.size));
    PresetTables t;
    if (presetData.size() != layout.presets.size || !t.Read(presetData))
        return SoundFontFault::kDamaged;

    std::vector<size_t> instruments;
    bool harp = false;
    for (size_t p = 0; p < t.Count("phdr"); ++p) {
        const size_t at = p * kPresetRecord;
        if (Word(t.Table("phdr"), at + 20) != program || Word(t.Table("phdr"), at + 22) != bank)
            continue;
        harp = true;
        if (!ZoneValues(t, "pbag", "pgen", Word(t.Table("phdr"), at + 24),
                        Word(t.Table("phdr"), at + kPresetRecord + 24), kInstrumentGenerator, instruments))
            return SoundFontFault::kDamaged;
    }
    if (!harp)
        return SoundFontFault::kNoHarp;
    std::vector<size_t> samples;
    for (const size_t i : instruments) {
        if (i >= t.Count("inst"))
            return SoundFontFault::kDamaged;
        const size_t at = i * kInstrumentRecord;
        if (!ZoneValues(t, "ibag", "igen", Word(t.Table("inst"), at + 20),
                        Word(t.Table("inst"), at + kInstrumentRecord + 20), kSampleGenerator, samples))
            return SoundFontFault::kDamaged;
    }
    std::vector<bool> counted(t.Count("shdr"), false);
    const uint64_t sampleWords = layout.samples.size / 2;
    const uint64_t bytesPerSample = layout.samples24.found ? 3 : 2;
    uint64_t total = 0;
    for (const size_t s : samples) {
        if (s >= counted.size())
            return SoundFontFault::kDamaged;
        if (counted[s])
            continue;
        counted[s] = true;
        const uint64_t start = bytes::ReadUInt32(t.Table("shdr"), s * kSampleRecord + 20);
        const uint64_t end = bytes::ReadUInt32(t.Table("shdr"), s * kSampleRecord + 24);
        if (start > end || end > sampleWords)
            return SoundFontFault::kDamaged;
        total += (end - start) * bytesPerSample;
    }
    if (samples.empty())
        return SoundFontFault::kNoHarp;
    return total > kMaxHarpSampleBytes ? SoundFontFault::kTooLarge : SoundFontFault::kNone;
}
