// The legend's texts about the song, written into the plan once the sheet knows its measures
// and its place among the sheets.

#include "print/SheetSteps.h"

#include "common/TextTranslation.h"

#include <algorithm>
#include <string>
#include <vector>

namespace SheetSteps {

namespace {

std::string Joined(const std::vector<std::string>& parts, const std::string& between)
{
    std::string all;
    for (const std::string& part : parts)
        all += (all.empty() ? "" : between) + part;
    return all;
}

// What the switches put beside the circles, as the legend names it.
std::vector<std::string> ShownOnSheet(const WordChoices& choices)
{
    std::vector<std::string> names;
    if (choices.words)
        names.push_back(CoreText::translate("Legend", "歌詞"));
    if (choices.chords)
        names.push_back(CoreText::translate("Legend", "コード"));
    if (choices.measures)
        names.push_back(CoreText::translate("Legend", "小節番号"));
    if (choices.counts)
        names.push_back(CoreText::translate("Legend", "カウント"));
    return names;
}

// How paper draws each voice's line, as the legend names it.
const char* StrokeName(VoiceRole role)
{
    switch (role) {
    case VoiceRole::kSecond: return QT_TRANSLATE_NOOP("Legend", "破線");
    case VoiceRole::kThird: return QT_TRANSLATE_NOOP("Legend", "太線");
    case VoiceRole::kFourth: return QT_TRANSLATE_NOOP("Legend", "点線");
    case VoiceRole::kAccompaniment: return QT_TRANSLATE_NOOP("Legend", "線なし");
    case VoiceRole::kMelody: break;
    }
    return QT_TRANSLATE_NOOP("Legend", "実線");
}

// The colours' names, as the drawing gives each voice its colour.
const char* ColourName(VoiceRole role)
{
    switch (role) {
    case VoiceRole::kSecond: return QT_TRANSLATE_NOOP("Legend", "青");
    case VoiceRole::kThird: return QT_TRANSLATE_NOOP("Legend", "緑");
    case VoiceRole::kFourth: return QT_TRANSLATE_NOOP("Legend", "紫");
    case VoiceRole::kAccompaniment: return QT_TRANSLATE_NOOP("Legend", "橙");
    case VoiceRole::kMelody: break;
    }
    return QT_TRANSLATE_NOOP("Legend", "黒");
}

// "第2声 — Alto　破線・青　弦にない音 3".
std::string VoiceCaption(VoiceRole role, const std::string& name, bool colour, int missing)
{
    std::string text = CoreText::translate("SongVoices", VoiceRoleLabel(role));
    if (!name.empty())
        text += " — " + name;
    std::string stroke = CoreText::translate("Legend", StrokeName(role));
    if (colour)
        stroke = FilledText(CoreText::translate("Legend", "%1・%2"),
                            {stroke, CoreText::translate("Legend", ColourName(role))});
    return FilledText(CoreText::translate("Legend", "%1　%2　弦にない音 %3"), {text, stroke, std::to_string(missing)});
}

} // namespace

std::vector<LegendPlace::Key> LegendKeys(const FittedScore& fitted, bool colour, std::optional<VoiceRole> only)
{
    const ScoreGeometry& score = fitted.geometry;
    if (score.voiceRoles.empty())
        return {};
    using Key = LegendPlace::Key;
    std::vector<Key> keys;
    const auto add = [&](LegendPlace::KeySample sample, VoiceRole role, std::string text) {
        Key key;
        key.sample = sample;
        key.role = role;
        key.caption.text = std::move(text);
        keys.push_back(std::move(key));
    };
    const auto keyed = [&](VoiceRole role) { return !only || *only == role; };
    if (keyed(VoiceRole::kMelody))
        add(LegendPlace::KeySample::kVoice, VoiceRole::kMelody,
            VoiceCaption(VoiceRole::kMelody, fitted.layout.melodyName, colour, fitted.notesWithoutString));
    for (const LaidVoice& voice : fitted.layout.voices) {
        if (!keyed(voice.role))
            continue;
        const auto missing = std::count_if(voice.notes.begin(), voice.notes.end(),
                                           [&](const ScoreNote& n) { return StringOf(fitted.frame, n.pitch) < 0; });
        add(LegendPlace::KeySample::kVoice, voice.role,
            VoiceCaption(voice.role, voice.name, colour, static_cast<int>(missing)));
    }
    if (!score.synchs.empty())
        add(LegendPlace::KeySample::kSynch, VoiceRole::kMelody, CoreText::translate("Legend", "細い破線 同時に弾く音"));
    if (std::any_of(score.notes.begin(), score.notes.end(), [](const PlacedNote& n) { return n.shared; }))
        add(LegendPlace::KeySample::kShared, VoiceRole::kMelody, CoreText::translate("Legend", "二重丸 同じ弦で同時"));
    return keys;
}

void WriteLegendTexts(SheetPlan& plan, const std::optional<SongFacts>& facts)
{
    LegendPlace& l = plan.legend;
    l.titleText = l.creditText = {};
    l.factsItems.clear();
    l.shownItems.clear();
    if (!facts)
        return;
    const SongFacts& song = *facts;
    // A sheet at scale says which measures it holds, numbered as the score numbers them.
    const bool own = plan.layout == SheetLayout::kAtScale && plan.measures.last >= plan.measures.first &&
                     plan.measures.first > 0;
    const int first = own ? plan.measures.first : song.firstMeasure;
    const int last = own ? plan.measures.last : song.lastMeasure;
    const bool partial = song.songMeasures > 0 && (song.firstMeasure > 1 || song.lastMeasure < song.songMeasures);
    // A compound meter names itself; its beats are the dotted ones the tempo counts.
    const std::string gap = CoreText::translate("Legend", "　　");
    const std::string beats =
        FilledText(CoreText::translate("Legend", "1小節 %1拍"), {std::to_string(song.beatsPerMeasure)});
    const std::string meter =
        song.meterName.empty() ? beats
                               : FilledText(CoreText::translate("Legend", "%1（%2）"), {song.meterName, beats});
    std::vector<std::string> items = {
        FilledText(CoreText::translate("Legend", "調 %1"), {song.key}), meter,
        FilledText(CoreText::translate("Legend", "テンポ %1"), {std::to_string(song.tempo)}),
        FilledText(CoreText::translate("Legend", "小節 %1〜%2"), {std::to_string(first), std::to_string(last)})};
    if (partial)
        items.back() += FilledText(CoreText::translate("Legend", "／全%1小節"),
                                   {std::to_string(song.songMeasures - (own && song.pickup ? 1 : 0))});
    if (plan.sheetCount > 1)
        items.front() = FilledText(CoreText::translate("Legend", "%1/%2枚　"),
                                   {std::to_string(plan.sheetNumber), std::to_string(plan.sheetCount)}) +
                        items.front();
    // A player's sheet says whose it is first: the players of a group take theirs from one pile.
    if (plan.player) {
        const std::string& part = song.partNames[static_cast<size_t>(plan.player->role)];
        items.insert(items.begin(), CoreText::translate("SongVoices", VoiceRoleLabel(plan.player->role)) +
                                        (part.empty() ? "" : " — " + part));
    }
    l.factsItems = std::move(items);

    std::vector<std::string> second;
    if (!song.repeatsNotice.empty())
        second.push_back(song.repeatsNotice); // first, so that a narrow sheet cuts the switches instead
    const std::vector<std::string> names = ShownOnSheet(plan.shown);
    if (!names.empty())
        second.push_back(FilledText(CoreText::translate("Legend", "表示 %1"), {Joined(names, CoreText::translate("Legend", "・"))}));
    l.shownItems = std::move(second);
    l.textGap = gap;

    l.titleText = song.title;
    // Who wrote it stands at the title's right on the sheet at scale.
    std::vector<std::string> by;
    if (plan.layout == SheetLayout::kAtScale && !song.composer.empty())
        by.push_back(FilledText(CoreText::translate("Legend", "作曲 %1"), {song.composer}));
    if (plan.layout == SheetLayout::kAtScale && !song.lyricist.empty())
        by.push_back(FilledText(CoreText::translate("Legend", "作詞 %1"), {song.lyricist}));
    l.creditText = Joined(by, CoreText::translate("Legend", "　"));
}

} // namespace SheetSteps
