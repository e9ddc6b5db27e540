#include "import/midi/MidiSanitizer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

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

void AppendBigEndian(std::vector<uint8_t>& out, uint32_t v, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void AppendVlq(std::vector<uint8_t>& out, uint32_t v)
{
    for (int shift = 7 * (kMaxVlqBytes - 1); shift > 0; shift -= 7)
        if (v >> shift)
            out.push_back(static_cast<uint8_t>(0x80 | ((v >> shift) & 0x7F)));
    out.push_back(static_cast<uint8_t>(v & 0x7F));
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

struct TimingEvent {
    uint32_t tick = 0;
    uint8_t type = 0;
    uint8_t size = 0;
    uint8_t data[4] = {};
};

// What the tracks of one file share while they are rewritten.
struct RewriteState {
    uint32_t tickLimit = 0;
    size_t events = 0;
    std::vector<TimingEvent> timing;
    int skipped = 0;
};

bool ValidTiming(uint8_t type, std::span<const uint8_t> d, TimingEvent& e)
{
    if (type == kMidiMetaTempo) {
        e.size = 3;
        return d.size() >= 3 && (d[0] | d[1] | d[2]) != 0;
    }
    if (type == kMidiMetaTimeSignature) {
        e.size = 4;
        return d.size() >= 4 && d[0] >= 1 && d[1] <= kMaxDenominatorPower;
    }
    e.size = 2;
    return d.size() >= 2 && std::abs(int(int8_t(d[0]))) <= kMaxKeyFifths && d[1] <= 1;
}

class TrackRewriter {
public:
    TrackRewriter(std::span<const uint8_t> chunk, RewriteState& s, std::vector<uint8_t>& o)
        : cursor(chunk), state(s), out(o)
    {
    }
    void Run();

private:
    enum class Step { Next, End, Damaged, Limit };
    Step NextEvent();
    Step ChannelEvent(uint8_t status);
    Step MetaEvent();
    bool Emit(std::span<const uint8_t> head, std::span<const uint8_t> tail = {});
    void KeepTiming(uint8_t type, std::span<const uint8_t> data);

    ByteCursor cursor;
    RewriteState& state;
    std::vector<uint8_t>& out;
    uint32_t tick = 0;
    uint32_t written = 0;
    uint8_t running = 0;
    bool named = false;
};

void TrackRewriter::Run()
{
    out.insert(out.end(), {'M', 'T', 'r', 'k', 0, 0, 0, 0});
    const size_t start = out.size();
    Step step = Step::Next;
    while (step == Step::Next)
        step = NextEvent();
    if (step != Step::End)
        ++state.skipped;
    AppendVlq(out, tick - written);
    out.insert(out.end(), {kMidiMetaStatus, kMidiMetaEndOfTrack, 0});
    const uint32_t length = static_cast<uint32_t>(out.size() - start);
    for (int i = 0; i < 4; ++i)
        out[start - 4 + i] = static_cast<uint8_t>(length >> (8 * (3 - i)));
}

TrackRewriter::Step TrackRewriter::NextEvent()
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

TrackRewriter::Step TrackRewriter::ChannelEvent(uint8_t status)
{
    running = status;
    const int dataBytes = (status & 0xE0) == 0xC0 ? 1 : 2; // program change, channel pressure
    uint8_t message[3] = {status, 0, 0};
    for (int i = 1; i <= dataBytes; ++i)
        if (!cursor.Byte(message[i]) || (message[i] & 0x80))
            return Step::Damaged;
    const uint8_t kind = status & 0xF0;
    if (kind != 0x80 && kind != 0x90)
        return Step::Next;
    return Emit(message) ? Step::Next : Step::Limit;
}

TrackRewriter::Step TrackRewriter::MetaEvent()
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
    if (type != kMidiMetaTrackName || named || data.empty())
        return Step::Next;
    named = true;
    const std::span<const uint8_t> name = data.first(std::min(data.size(), kMaxMidiNameBytes));
    std::vector<uint8_t> head = {kMidiMetaStatus, kMidiMetaTrackName};
    AppendVlq(head, static_cast<uint32_t>(name.size()));
    return Emit(head, name) ? Step::Next : Step::Limit;
}

bool TrackRewriter::Emit(std::span<const uint8_t> head, std::span<const uint8_t> tail)
{
    if (state.events >= kMaxMidiEvents)
        return false;
    ++state.events;
    AppendVlq(out, tick - written);
    written = tick;
    out.insert(out.end(), head.begin(), head.end());
    out.insert(out.end(), tail.begin(), tail.end());
    return true;
}

void TrackRewriter::KeepTiming(uint8_t type, std::span<const uint8_t> data)
{
    TimingEvent e;
    e.tick = tick;
    e.type = type;
    if (!ValidTiming(type, data, e) || state.timing.size() >= kMaxMidiTimingEvents) {
        ++state.skipped;
        return;
    }
    std::copy_n(data.begin(), e.size, e.data);
    state.timing.push_back(e);
}

void AppendConductor(std::vector<uint8_t>& out, std::vector<TimingEvent>& timing)
{
    std::stable_sort(timing.begin(), timing.end(),
                     [](const TimingEvent& a, const TimingEvent& b) { return a.tick < b.tick; });
    std::vector<uint8_t> body;
    uint32_t written = 0;
    for (const TimingEvent& e : timing) {
        AppendVlq(body, e.tick - written);
        written = e.tick;
        body.insert(body.end(), {kMidiMetaStatus, e.type, e.size});
        body.insert(body.end(), e.data, e.data + e.size);
    }
    body.insert(body.end(), {0, kMidiMetaStatus, kMidiMetaEndOfTrack, 0});
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    AppendBigEndian(out, static_cast<uint32_t>(body.size()), 4);
    out.insert(out.end(), body.begin(), body.end());
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

// Rewrites each MTrk chunk the header claims, skipping chunks of other kinds; a chunk longer
// than the file is read up to the file's end.
int RewriteTracks(std::span<const uint8_t> file, const MidiHeader& h, RewriteState& state,
                  std::vector<uint8_t>& out)
{
    size_t next = h.firstChunk;
    int kept = 0;
    const size_t wanted = std::min(h.claimedTracks, kMaxMidiTracks);
    while (size_t(kept) < wanted && file.size() - next >= kChunkHeaderBytes) {
        const size_t body = next + kChunkHeaderBytes;
        const size_t length = std::min<size_t>(ReadBigEndian(file, next + 4, 4), file.size() - body);
        if (std::memcmp(file.data() + next, "MTrk", 4) == 0) {
            TrackRewriter(file.subspan(body, length), state, out).Run();
            ++kept;
        }
        next = body + length;
    }
    if (size_t(kept) == kMaxMidiTracks && h.claimedTracks > kMaxMidiTracks &&
        file.size() - next >= kChunkHeaderBytes)
        ++state.skipped;
    return kept;
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

ImportStatus SanitizeMidi(std::span<const uint8_t> wrapped, SanitizedMidi& out)
{
    out = SanitizedMidi{};
    const std::span<const uint8_t> file = UnwrapRiff(wrapped);
    MidiHeader header;
    if (!ReadHeader(file, header))
        return ImportStatus::Unreadable;
    RewriteState state;
    state.tickLimit = static_cast<uint32_t>(
        std::min<int64_t>(kMaxMidiTicks, int64_t(header.ticksPerQuarter) * kMaxMidiQuarters));
    std::vector<uint8_t> tracks;
    constexpr size_t kMaxEventBytes = 4 + 3; // a delta and a note event
    tracks.reserve(std::min(file.size() + file.size() / 2, kMaxMidiEvents * kMaxEventBytes));
    const int kept = RewriteTracks(file, header, state, tracks);
    if (kept == 0)
        return ImportStatus::Unreadable;

    std::vector<uint8_t>& bytes = out.bytes;
    bytes.reserve(tracks.size() + 64 + state.timing.size() * 8);
    bytes.insert(bytes.end(), {'M', 'T', 'h', 'd', 0, 0, 0, kHeaderBodyBytes, 0, 1});
    AppendBigEndian(bytes, static_cast<uint32_t>(kept + 1), 2);
    AppendBigEndian(bytes, static_cast<uint32_t>(header.ticksPerQuarter), 2);
    AppendConductor(bytes, state.timing);
    bytes.insert(bytes.end(), tracks.begin(), tracks.end());
    out.format = header.format;
    out.ticksPerQuarter = header.ticksPerQuarter;
    out.trackCount = kept;
    out.skipped = state.skipped;
    return ImportStatus::Ok;
}
