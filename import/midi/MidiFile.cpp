#include "import/midi/MidiFile.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

constexpr size_t kChunkHeaderBytes = 8;
constexpr size_t kHeaderBodyBytes = 6;
constexpr uint16_t kSmpteDivisionBit = 0x8000;
constexpr int kMaxVlqBytes = 4;
constexpr int kMaxDenominatorPower = 6; // a 64th
constexpr int kMaxKeyFifths = 7;

uint32_t ReadBigEndian(std::span<const uint8_t> b, size_t offset, int bytes)
{
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = v << 8 | b[offset + i];
    return v;
}

// Reads one chunk's bytes; no read passes its end.
class ByteCursor {
public:
    explicit ByteCursor(std::span<const uint8_t> b) : bytes(b) {}
    bool AtEnd() const { return pos >= bytes.size(); }
    uint8_t Peek() const { return bytes[pos]; }
    bool Byte(uint8_t& v)
    {
        if (AtEnd())
            return false;
        v = bytes[pos++];
        return true;
    }
    bool Vlq(uint32_t& v)
    {
        v = 0;
        for (int i = 0; i < kMaxVlqBytes; ++i) {
            uint8_t b = 0;
            if (!Byte(b))
                return false;
            v = v << 7 | (b & 0x7F);
            if (!(b & 0x80))
                return true;
        }
        return false;
    }
    bool Take(size_t n, std::span<const uint8_t>& out)
    {
        if (bytes.size() - pos < n)
            return false;
        out = bytes.subspan(pos, n);
        pos += n;
        return true;
    }

private:
    std::span<const uint8_t> bytes;
    size_t pos = 0;
};

// What the tracks of one file share while they are read.
struct ReadState {
    uint32_t tickLimit = 0;
    size_t events = 0;
    std::vector<MidiTimingChange> timing;
    int skipped = 0;
};

// Checks a change and sets how many of its bytes count.
bool ValidTiming(uint8_t type, std::span<const uint8_t> d, size_t& size)
{
    if (type == kMidiMetaTempo) {
        size = 3;
        return d.size() >= 3 && (d[0] | d[1] | d[2]) != 0;
    }
    if (type == kMidiMetaTimeSignature) {
        size = 4;
        return d.size() >= 4 && d[0] >= 1 && d[1] <= kMaxDenominatorPower;
    }
    size = 2;
    return d.size() >= 2 && std::abs(int(int8_t(d[0]))) <= kMaxKeyFifths && d[1] <= 1;
}

class TrackReader {
public:
    TrackReader(std::span<const uint8_t> chunk, ReadState& s, MidiTrack& t) : cursor(chunk), state(s), track(t) {}
    void Run();

private:
    enum class Step { Next, End, Damaged, Limit };
    Step NextEvent();
    Step ChannelEvent(uint8_t status);
    Step MetaEvent();
    bool CountEvent();
    void KeepTiming(uint8_t type, std::span<const uint8_t> data);

    ByteCursor cursor;
    ReadState& state;
    MidiTrack& track;
    uint32_t tick = 0;
    uint8_t running = 0;
};

void TrackReader::Run()
{
    Step step = Step::Next;
    while (step == Step::Next)
        step = NextEvent();
    if (step != Step::End)
        ++state.skipped;
    track.end = tick;
}

TrackReader::Step TrackReader::NextEvent()
{
    if (cursor.AtEnd())
        return Step::End; // a missing end-of-track event is common and harmless
    uint32_t delta = 0;
    if (!cursor.Vlq(delta) || cursor.AtEnd())
        return Step::Damaged;
    if (delta > state.tickLimit - tick)
        return Step::Limit;
    tick += delta;
    uint8_t status = cursor.Peek();
    if (status & 0x80)
        cursor.Byte(status);
    else if (running)
        status = running;
    else
        return Step::Damaged;
    if (status < 0xF0)
        return ChannelEvent(status);
    running = 0; // meta and system exclusive events end a running status
    if (status == kMidiMetaStatus)
        return MetaEvent();
    uint32_t length = 0;
    std::span<const uint8_t> data;
    if ((status == 0xF0 || status == 0xF7) && cursor.Vlq(length) && cursor.Take(length, data))
        return Step::Next;
    return Step::Damaged; // system common and real-time messages have no place in a file
}

TrackReader::Step TrackReader::ChannelEvent(uint8_t status)
{
    running = status;
    const int dataBytes = (status & 0xE0) == 0xC0 ? 1 : 2; // program change, channel pressure
    uint8_t data[2] = {};
    for (int i = 0; i < dataBytes; ++i)
        if (!cursor.Byte(data[i]) || (data[i] & 0x80))
            return Step::Damaged;
    const uint8_t kind = status & 0xF0;
    if (kind != 0x80 && kind != 0x90)
        return Step::Next;
    if (!CountEvent())
        return Step::Limit;
    const bool on = kind == 0x90 && data[1] > 0; // a note-on of velocity 0 is an off
    track.notes.push_back({tick, status & 0x0F, data[0], on});
    return Step::Next;
}

TrackReader::Step TrackReader::MetaEvent()
{
    uint8_t type = 0;
    uint32_t length = 0;
    std::span<const uint8_t> data;
    if (!cursor.Byte(type) || !cursor.Vlq(length) || !cursor.Take(length, data))
        return Step::Damaged;
    if (type == kMidiMetaEndOfTrack)
        return Step::End;
    if (type == kMidiMetaTempo || type == kMidiMetaTimeSignature || type == kMidiMetaKeySignature)
        KeepTiming(type, data);
    if (type != kMidiMetaTrackName || !track.name.empty() || data.empty())
        return Step::Next;
    if (!CountEvent())
        return Step::Limit;
    const std::span<const uint8_t> name = data.first(std::min(data.size(), kMaxMidiNameBytes));
    track.name.assign(name.begin(), name.end());
    return Step::Next;
}

// The names and notes kept count against one limit for the whole file.
bool TrackReader::CountEvent()
{
    if (state.events >= kMaxMidiEvents)
        return false;
    ++state.events;
    return true;
}

void TrackReader::KeepTiming(uint8_t type, std::span<const uint8_t> data)
{
    MidiTimingChange change;
    change.tick = tick;
    change.type = type;
    size_t size = 0;
    if (!ValidTiming(type, data, size) || state.timing.size() >= kMaxMidiTimingEvents) {
        ++state.skipped;
        return;
    }
    std::copy_n(data.begin(), size, change.data);
    state.timing.push_back(change);
}

struct MidiHeader {
    int format = 0;
    size_t claimedTracks = 0;
    int ticksPerQuarter = 0;
    size_t firstChunk = 0;
};

bool ReadHeader(std::span<const uint8_t> file, MidiHeader& h)
{
    if (file.size() < kChunkHeaderBytes + kHeaderBodyBytes || std::memcmp(file.data(), "MThd", 4) != 0)
        return false;
    const uint32_t length = ReadBigEndian(file, 4, 4);
    if (length < kHeaderBodyBytes || length > file.size() - kChunkHeaderBytes)
        return false;
    h.format = static_cast<int>(ReadBigEndian(file, 8, 2));
    h.claimedTracks = ReadBigEndian(file, 10, 2);
    const uint32_t division = ReadBigEndian(file, 12, 2);
    h.ticksPerQuarter = static_cast<int>(division);
    h.firstChunk = kChunkHeaderBytes + length;
    return h.format <= 1 && h.claimedTracks > 0 && !(division & kSmpteDivisionBit) && division > 0;
}

// Reads each MTrk chunk the header claims, skipping chunks of other kinds; a chunk longer than
// the file is read up to the file's end.
void ReadTracks(std::span<const uint8_t> file, const MidiHeader& h, ReadState& state, std::vector<MidiTrack>& tracks)
{
    size_t next = h.firstChunk;
    const size_t wanted = std::min(h.claimedTracks, kMaxMidiTracks);
    while (tracks.size() < wanted && file.size() - next >= kChunkHeaderBytes) {
        const size_t body = next + kChunkHeaderBytes;
        const size_t length = std::min<size_t>(ReadBigEndian(file, next + 4, 4), file.size() - body);
        if (std::memcmp(file.data() + next, "MTrk", 4) == 0)
            TrackReader(file.subspan(body, length), state, tracks.emplace_back()).Run();
        next = body + length;
    }
    if (tracks.size() == kMaxMidiTracks && h.claimedTracks > kMaxMidiTracks && file.size() - next >= kChunkHeaderBytes)
        ++state.skipped;
}

} // namespace

std::span<const uint8_t> UnwrapRiff(std::span<const uint8_t> file)
{
    constexpr size_t kRiffHeaderBytes = 12; // "RIFF", size, "RMID"
    if (file.size() < kRiffHeaderBytes || std::memcmp(file.data(), "RIFF", 4) != 0 ||
        std::memcmp(file.data() + 8, "RMID", 4) != 0)
        return file;
    auto littleEndian = [&](size_t at) {
        return uint32_t(file[at]) | uint32_t(file[at + 1]) << 8 | uint32_t(file[at + 2]) << 16 | uint32_t(file[at + 3]) << 24;
    };
    // RIFF chunks: a four-letter id, a little-endian length, the body padded to an even length.
    size_t at = kRiffHeaderBytes;
    while (file.size() - at >= kChunkHeaderBytes) {
        const size_t body = at + kChunkHeaderBytes;
        const size_t length = std::min<size_t>(littleEndian(at + 4), file.size() - body);
        if (std::memcmp(file.data() + at, "data", 4) == 0)
            return file.subspan(body, length);
        at = body + length + (length & 1);
        if (at > file.size())
            break;
    }
    return {};
}

ImportStatus ReadMidiFile(std::span<const uint8_t> wrapped, MidiFile& out)
{
    out = MidiFile{};
    const std::span<const uint8_t> file = UnwrapRiff(wrapped);
    MidiHeader header;
    if (!ReadHeader(file, header))
        return ImportStatus::Unreadable;
    ReadState state;
    state.tickLimit = static_cast<uint32_t>(
        std::min<int64_t>(kMaxMidiTicks, int64_t(header.ticksPerQuarter) * kMaxMidiQuarters));
    ReadTracks(file, header, state, out.tracks);
    if (out.tracks.empty())
        return ImportStatus::Unreadable;
    std::stable_sort(state.timing.begin(), state.timing.end(),
                     [](const MidiTimingChange& a, const MidiTimingChange& b) { return a.tick < b.tick; });
    out.timing = std::move(state.timing);
    out.format = header.format;
    out.ticksPerQuarter = header.ticksPerQuarter;
    out.skipped = state.skipped;
    return ImportStatus::Ok;
}
