#include "import/musicxml/MusicXmlAssembly.h"

#include "common/TextTranslation.h"
#include "common/Utf8.h"

#include <algorithm>
#include <climits>

void MelodyAssembler::Add(const MeasureContent& m, int64_t start, int64_t length)
{
    // Once a limit is reached the measure's rest is counted, not walked: a measure of a
    // million chord notes or symbols may be repeated a thousand times.
    if (out.notes.size() >= kMaxMelodyNotes)
        Skip(m.notes.size());
    else
        for (MeasureNote n : m.notes) {
            if (start + n.at >= kMaxReadTicks || n.at >= length) {
                Skip(1); // past anything a song can hold, or past the measure's end
                continue;
            }
            n.duration = std::min(n.duration, length - n.at);
            AddNote(n, start + n.at);
        }
    AddChords(m, start);
}

void MelodyAssembler::AddChords(const MeasureContent& m, int64_t start)
{
    // Repeats copy chord symbols as they copy notes, and are held to the same limit.
    for (size_t i = 0; i < m.chords.size(); ++i) {
        if (out.chords.size() >= kMaxMelodyNotes) {
            Skip(m.chords.size() - i);
            break;
        }
        if (start + m.chords[i].onset >= kMaxReadTicks) {
            Skip(1);
            continue;
        }
        out.chords.push_back(m.chords[i]);
        out.chords.back().onset += start;
    }
}

void MelodyAssembler::Skip(size_t count)
{
    out.skipped = static_cast<int>(std::min<uint64_t>(INT_MAX, uint64_t(out.skipped) + count));
}

void MelodyAssembler::AddNote(const MeasureNote& n, int64_t onset)
{
    if (n.pitch == MelodyNote::kRest) {
        Push(MelodyNote{onset, n.duration, MelodyNote::kRest, {}});
        return;
    }
    MelodyNote note{onset, n.duration, n.pitch, n.lyric};
    if (ties.Continue(out.notes, note, n.tieStop, n.tieStart))
        return;
    if (Push(std::move(note)))
        ties.Added(out.notes.size() - 1, n.pitch, n.tieStart);
}

bool MelodyAssembler::Push(MelodyNote note)
{
    if (out.notes.size() >= kMaxMelodyNotes) {
        Skip(1);
        return false;
    }
    out.notes.push_back(std::move(note));
    return true;
}

VoiceAssembler::VoiceAssembler(size_t voiceCount, size_t room, size_t& walk)
    : voices(voiceCount), ties(voiceCount, TiedNotes{kTieSlack}), room(room), walk(walk)
{
}

void VoiceAssembler::Add(const std::vector<MeasureNote>& notes, int64_t start, int64_t length)
{
    for (const MeasureNote& n : notes) {
        if (walk == 0)
            return;
        --walk;
        if (n.voiceIndex < 0 || size_t(n.voiceIndex) >= voices.size() || start + n.at >= kMaxReadTicks ||
            n.at >= length)
            continue;
        std::vector<MelodyNote>& into = voices[size_t(n.voiceIndex)];
        TiedNotes& tied = ties[size_t(n.voiceIndex)];
        const MelodyNote note{start + n.at, std::min(n.duration, length - n.at), n.pitch, {}};
        if (tied.Continue(into, note, n.tieStop, n.tieStart))
            continue;
        if (room == 0 || into.size() >= kMaxMelodyNotes) {
            ++leftOut; // past what the voices may hold
            continue;
        }
        into.push_back(note);
        --room;
        tied.Added(into.size() - 1, n.pitch, n.tieStart);
    }
}

VoiceNaming::VoiceNaming(std::string partName, const std::vector<PartVoice>& voices) : partName(std::move(partName))
{
    for (const PartVoice& v : voices)
        ++voicesOnStaff[v.staff];
    upperAndLower = voicesOnStaff.size() == 2 && voicesOnStaff.begin()->first == 1 &&
                    voicesOnStaff.rbegin()->first == 2;
}

std::string VoiceNaming::Name(const PartVoice& v) const
{
    std::string name = partName;
    if (upperAndLower)
        name += v.staff == 1 ? CoreText::translate("ScoreImport", " 上段") : CoreText::translate("ScoreImport", " 下段");
    else if (voicesOnStaff.size() > 1)
        name += FilledText(CoreText::translate("ScoreImport", " 第%1段"), {std::to_string(v.staff)});
    if (voicesOnStaff.at(v.staff) > 1)
        name += FilledText(CoreText::translate("ScoreImport", " 声部%1"), {CutUtf8(v.voice, kMaxVoiceTextBytes)});
    return name;
}
