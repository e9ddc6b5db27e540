#pragma once
// The print command's work on a score it is handed: the legend from the song, the job on a
// chosen printer, and the same sheet as an SVG file.

#include "print/ScoreSheet.h"
#include "print/SongFacts.h"
#include "render/FittedScore.h"
#include "settings/SheetSettings.h"

#include <QString>
#include <optional>

class CPrintPicture;
struct Score;

// The song's list title; when it has none, its file name without the extension.
QString SongTitle(const Score& song);

// What the legend tells of a song's score, already fitted to the strings and laid out.
SongFacts SongFactsOf(const Score& song, const FittedScore& score);

// A print of more pages than this is asked about first.
constexpr int kPagesWithoutAsking = 20;

// "印刷するページが25枚になります。印刷しますか？"; true when the user says yes.
bool AskToPrintPages(int pages);

// Prints the score on the printer the job has chosen, as the sheet settings make it: fitted
// to the paper (one page, or both halves of the A3 sheet) or at the harp's scale over as many
// pages as it takes, with the words, chords and measures chosen and the legend (the song's
// facts where given). With
// `mayPrint`, a sheet of more than kPagesWithoutAsking pages is printed only when it says yes.
// Failures are reported by the job; false after one, or when nothing was printed.
bool PrintScorePicture(CPrintPicture& job, const std::optional<SongFacts>& facts, const FittedScore& score,
                       const SheetSettings& sheet, bool (*mayPrint)(int pages) = nullptr);

// Writes the sheet on one SVG page: fitted to A3, or the whole sheet at the harp's scale on a
// page of its own size. False when the file cannot be written.
bool WriteScoreSvg(const QString& fileName, const std::optional<SongFacts>& facts, const FittedScore& score,
                   const SheetSettings& sheet);
