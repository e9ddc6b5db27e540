// The legend's texts about the song, written into the plan once the sheet knows its measures
// and its place among the sheets.

#include "print/SheetSteps.h"

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
        names.push_back("歌詞");
    if (choices.chords)
        names.push_back("コード");
    if (choices.measures)
        names.push_back("小節番号");
    if (choices.counts)
        names.push_back("カウント");
    return names;
}

// The line kinds and marks of the voices the sheet draws, as the legend explains them; none for
// the melody alone, whose solid line needs no word.
std::vector<std::string> VoiceMarks(const ScoreGeometry& score)
{
    if (score.voiceRoles.empty())
        return {};
    std::vector<bool> drawn(kVoiceRoleCount, false);
    drawn[static_cast<size_t>(VoiceRole::kMelody)] = true;
    for (const VoiceRole role : score.voiceRoles)
        drawn[static_cast<size_t>(role)] = true;
    const auto named = [&](std::initializer_list<VoiceRole> roles) {
        std::vector<std::string> names;
        for (const VoiceRole role : roles)
            if (drawn[static_cast<size_t>(role)])
                names.push_back(VoiceRoleLabel(role));
        return Joined(names, "・");
    };
    std::vector<std::string> marks{"実線 " + named({VoiceRole::kMelody, VoiceRole::kThird})};
    if (const std::string dotted = named({VoiceRole::kSecond, VoiceRole::kFourth}); !dotted.empty())
        marks.push_back("点線 " + dotted);
    if (drawn[static_cast<size_t>(VoiceRole::kAccompaniment)])
        marks.push_back("線なし 伴奏");
    if (!score.synchs.empty())
        marks.push_back("破線 同時");
    if (std::any_of(score.notes.begin(), score.notes.end(), [](const PlacedNote& n) { return n.shared; }))
        marks.push_back("◎ 同じ弦で同時");
    return marks;
}

} // namespace

void WriteLegendTexts(SheetPlan& plan, const std::optional<SongFacts>& facts)
{
    LegendPlace& l = plan.legend;
    l.titleText = l.creditText = l.factsText = l.shownText = {};
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
    const std::string beats = "1小節 " + std::to_string(song.beatsPerMeasure) + "拍";
    std::string text = "調 " + song.key + "　　" + (song.meterName.empty() ? beats : song.meterName + "（" + beats + "）") +
                       "　　テンポ " + std::to_string(song.tempo) + "　　小節 " + std::to_string(first) + "〜" +
                       std::to_string(last);
    if (partial)
        text += "／全" + std::to_string(song.songMeasures - (own && song.pickup ? 1 : 0)) + "小節";
    if (plan.sheetCount > 1)
        text = std::to_string(plan.sheetNumber) + "/" + std::to_string(plan.sheetCount) + "枚　" + text;
    // A player's sheet says whose it is first: the players of a group take theirs from one pile.
    if (plan.player) {
        const std::string& part = song.partNames[static_cast<size_t>(plan.player->role)];
        text = std::string(VoiceRoleLabel(plan.player->role)) + (part.empty() ? "" : " — " + part) + "　　" + text;
    }
    l.factsText = text;

    std::vector<std::string> second;
    if (!song.repeatsNotice.empty())
        second.push_back(song.repeatsNotice); // first, so that a narrow sheet cuts the switches instead
    const std::vector<std::string> names = ShownOnSheet(plan.shown);
    if (!names.empty())
        second.push_back("表示 " + Joined(names, "・"));
    if (const std::vector<std::string> marks = VoiceMarks(plan.content.geometry); !marks.empty())
        second.push_back(Joined(marks, "　"));
    l.shownText = Joined(second, "　　");

    l.titleText = song.title;
    // Who wrote it stands at the title's right on the sheet at scale.
    std::vector<std::string> by;
    if (plan.layout == SheetLayout::kAtScale && !song.composer.empty())
        by.push_back("作曲 " + song.composer);
    if (plan.layout == SheetLayout::kAtScale && !song.lyricist.empty())
        by.push_back("作詞 " + song.lyricist);
    l.creditText = Joined(by, "　");
}

} // namespace SheetSteps
