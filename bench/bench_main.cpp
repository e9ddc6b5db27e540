// Speed of the program's work next to the floor of the same work, measured in one run.
// ./bench.sh prints the table with the ratios.

#include "app/CDovrelPlinvaraApp.h"
#include "common/Messages.h"
#include "controls/COffScreenControl.h"
#include "library/CArchiveDlg.h"
#include "library/SongSummary.h"
#include "print/CPrintPicture.h"
#include "print/PrintTarget.h"
#include "print/ScoreJob.h"
#include "print/SheetPageDrawing.h"
#include "print/SheetPlanning.h"
#include "render/ScoreLayout.h"
#include "settings/CConfigControl.h"
#include "render/CScorePicture.h"
#include "controls/PictureScaling.h"
#include "settings/HarpPresets.h"
#include "document/SettingsScore.h"
#include "song/CSongData.h"
#include "score/FitToStrings.h"
#include "score/SongScore.h"
#include "song/CSongFileWriter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPainter>
#include <QPrinter>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class SilentSink : public IMessageSink {
public:
    void Show(const std::string&) override {}
} g_silent;

const fs::path& Scratch()
{
    static const fs::path dir = [] {
        fs::path p = fs::temp_directory_path() / "dovrel-bench";
        fs::remove_all(p);
        fs::create_directories(p / "Archive");
        return p;
    }();
    return dir;
}

std::string SongOfLayout(uint32_t size)
{
    const std::string path = (Scratch() / ("layout-" + std::to_string(size) + ".mwd")).string();
    if (!fs::exists(path)) {
        CSongFileWriter w(32, 4);
        for (int p = 0; p < 32 * 16; p += 2)
            w.AddNote(p, 55 + p % 24, 2);
        w.Write(path, size);
    }
    return path;
}

const std::string& DensestSong()
{
    static const std::string path = [] {
        CSongFileWriter w(32, 8);
        for (int c = 0; c < 32 * 8 * 2; ++c)
            for (int k = 0; k < 3; ++k)
                w.SetEntry(c, k, 55 + (c + k) % 25);
        const std::string p = (Scratch() / "densest.mwd").string();
        w.Write(p);
        return p;
    }();
    return path;
}

ScoreSetup DefaultSetup()
{
    const ConfigRecord r = DefaultConfigRecord();
    return ScoreSetup{r.stringCount, ScoreFrameOf(r).stringPitches, r.lineSpacing, r.leftAdjust, 1.0};
}

// A song file read as the programs read it: the grid, then the score every stage reads.
std::unique_ptr<Score> Load(const std::string& path)
{
    int32_t m = 0, b = 0, k = 0;
    const CSongData song(path.c_str(), m, b, k);
    return std::make_unique<Score>(ScoreOfSong(song));
}

void Load_Layout(benchmark::State& state)
{
    const std::string path = SongOfLayout(static_cast<uint32_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(Load(path));
}
BENCHMARK(Load_Layout)->Arg(32780)->Arg(81932)->Arg(90444)->Arg(92492)->Arg(94540)->Unit(benchmark::kMicrosecond);

void Baseline_BareRead(benchmark::State& state)
{
    const std::string path = SongOfLayout(static_cast<uint32_t>(state.range(0)));
    std::vector<char> buffer(state.range(0));
    for (auto _ : state) {
        const int fd = open(path.c_str(), O_RDONLY);
        benchmark::DoNotOptimize(read(fd, buffer.data(), buffer.size()));
        close(fd);
    }
}
BENCHMARK(Baseline_BareRead)->Arg(32780)->Arg(81932)->Arg(90444)->Arg(92492)->Arg(94540)->Unit(benchmark::kMicrosecond);

void Fit_WideSong(benchmark::State& state)
{
    const std::string path = std::string(DP_SAMPLE_DIR) + "/scale.mwd";
    for (auto _ : state) {
        state.PauseTiming();
        auto song = Load(path);
        state.ResumeTiming();
        benchmark::DoNotOptimize(FitToStrings(*song, 55, 79));
    }
}
BENCHMARK(Fit_WideSong)->Unit(benchmark::kMicrosecond);

void LayoutDraw_Densest(benchmark::State& state)
{
    auto song = Load(DensestSong());
    CScorePicture score;
    score.Create(nullptr, PictureRect{10, 10, 842, 840}, DefaultSetup());
    for (auto _ : state)
        score.LayOutMeasures(song.get(), 1, 32);
    state.counters["notes"] = static_cast<double>(LayOutMeasures(*song, 1, 32).notes.size());
    score.Destroy();
}
BENCHMARK(LayoutDraw_Densest)->Unit(benchmark::kMicrosecond);

void Baseline_BareFill(benchmark::State& state)
{
    QImage image(832, 830, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(Baseline_BareFill)->Unit(benchmark::kMicrosecond);

void LoadFitLayoutDraw_TypicalSample(benchmark::State& state)
{
    const std::string path = std::string(DP_SAMPLE_DIR) + "/twinkle.mwd";
    CScorePicture score;
    score.Create(nullptr, PictureRect{10, 10, 842, 840}, DefaultSetup());
    for (auto _ : state) {
        auto song = Load(path);
        FitToStrings(*song, 55, score.GetHighestStringPitch(0));
        score.LayOutMeasures(song.get(), 1, std::min(song->measureCount, 32));
    }
    score.Destroy();
}
BENCHMARK(LoadFitLayoutDraw_TypicalSample)->Unit(benchmark::kMicrosecond);

void Show_HalfZoom(benchmark::State& state)
{
    QImage image(832, 830, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (auto _ : state)
        benchmark::DoNotOptimize(ScaleForShow(image, 0.5));
}
BENCHMARK(Show_HalfZoom)->Unit(benchmark::kMicrosecond);

const fs::path& LibraryOf2000()
{
    static const fs::path base = [] {
        const fs::path archive = Scratch() / "Archive";
        CSongFileWriter w(4, 4);
        w.SetFame(120);
        w.SetTitleUtf8("曲");
        const std::vector<uint8_t> bytes = w.Build();
        for (int i = 0; i < 2000; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "song%04d.mwd", i);
            WriteBytes((archive / name).string(), bytes);
        }
        return Scratch();
    }();
    return base;
}

void Library_2000Songs(benchmark::State& state)
{
    const fs::path base = LibraryOf2000();
    double firstMs = 0, completeMs = 0;
    for (auto _ : state) {
        CArchiveDlg dialog;
        dialog.SetBaseFolder(base.string());
        QElapsedTimer clock;
        double first = -1;
        QListWidget* list = dialog.findChild<QListWidget*>(QStringLiteral("1062"));
        QObject::connect(list->model(), &QAbstractItemModel::rowsInserted, [&] {
            if (first < 0)
                first = clock.nsecsElapsed() / 1e6;
        });
        auto* poll = new QTimer(&dialog);
        QObject::connect(poll, &QTimer::timeout, [&] {
            if (dialog.IsFilled())
                dialog.reject();
        });
        poll->start(1);
        clock.start();
        dialog.exec();
        const double complete = clock.nsecsElapsed() / 1e6;
        state.SetIterationTime(complete / 1e3);
        firstMs += first;
        completeMs += complete;
    }
    state.counters["first_song_ms"] = firstMs / state.iterations();
    state.counters["complete_ms"] = completeMs / state.iterations();
}
BENCHMARK(Library_2000Songs)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void Baseline_BareSummaryLoop(benchmark::State& state)
{
    const fs::path archive = LibraryOf2000() / "Archive";
    std::vector<std::string> paths;
    for (const auto& e : fs::directory_iterator(archive))
        paths.push_back(e.path().string());
    for (auto _ : state)
        for (const std::string& p : paths) {
            char block[SummaryBlock::kSize];
            const int fd = open(p.c_str(), O_RDONLY);
            benchmark::DoNotOptimize(pread(fd, block, sizeof block, SummaryBlock::kFileOffset));
            close(fd);
        }
}
BENCHMARK(Baseline_BareSummaryLoop)->Unit(benchmark::kMillisecond);

// The score of a song as the print command is handed it, on the default harp.
const std::string& PrintedSong(int which)
{
    static const std::string typical = std::string(DP_SAMPLE_DIR) + "/jinglebells.mwd";
    return which == 0 ? DensestSong() : typical;
}

struct PrintedScore {
    std::unique_ptr<Score> song;
    FittedScore score;
};

PrintedScore LayOutForPrint(int which)
{
    PrintedScore printed{Load(PrintedSong(which)), {}};
    printed.score = FitScore(DefaultConfigRecord(), *printed.song, FirstShownMeasures(*printed.song));
    return printed;
}

// The page as the print command used to make it: the picture stretched onto A3.
void Print_BitmapPage(benchmark::State& state)
{
    const PrintedScore printed = LayOutForPrint(static_cast<int>(state.range(0)));
    const QImage picture = CScorePicture::Picture(printed.score.geometry);
    const std::string pdf = (Scratch() / "bitmap.pdf").string();
    for (auto _ : state) {
        auto printer = A3PdfPrinter(QString::fromStdString(pdf), 600);
        printer->setFullPage(false);
        const DeviceRect r = PlaceItem(ComputePagePlacement(DeviceModeOf(*printer), picture.width(), picture.height(), 1.0),
                                       0, 0, picture.width(), picture.height());
        QPainter p(printer.get());
        p.setRenderHint(QPainter::LosslessImageRendering, true);
        p.drawImage(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top), picture, picture.rect());
    }
}
BENCHMARK(Print_BitmapPage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The page the print command makes now: the score traced as vectors, with its legend.
void Print_VectorPage(benchmark::State& state)
{
    const PrintedScore printed = LayOutForPrint(static_cast<int>(state.range(0)));
    const SongFacts legend = SongFactsOf(*printed.song, printed.score);
    const std::string pdf = (Scratch() / "vector.pdf").string();
    for (auto _ : state) {
        CPrintPicture job;
        job.expectedPaperSize = PaperSize::kA3;
        DeviceMode mode;
        job.UsePrinter(A3PdfPrinter(QString::fromStdString(pdf), 600), mode);
        PrintScorePicture(job, legend, printed.score, SheetSettings{PaperSpacing::FitToPaper(), {false, false, false}});
        job.ReleasePrinter();
    }
    state.counters["notes"] = static_cast<double>(printed.score.geometry.notes.size());
}
BENCHMARK(Print_VectorPage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The densest song on the 37-string harp, printed on `paper` at `spacing`.
void PrintThirtySevenStrings(benchmark::State& state, QPageSize::PageSizeId paper, PaperSpacing spacing,
                             const std::string& songPath = DensestSong(), WordChoices words = {false, false, false},
                             bool wholeSong = false, const char* preset = "37")
{
    ConfigRecord harp = DefaultConfigRecord();
    ApplyHarpPreset(*FindHarpPreset(preset), harp);
    std::unique_ptr<Score> song = Load(songPath);
    const FittedScore score =
        FitScore(harp, *song, wholeSong ? MeasureRange{1, song->measureCount} : FirstShownMeasures(*song));
    const SongFacts legend = SongFactsOf(*song, score);
    const std::string pdf = (Scratch() / "sheet37.pdf").string();
    for (auto _ : state) {
        CPrintPicture job;
        job.expectedPaperSize = PaperSize::kA3;
        auto printer = A3PdfPrinter(QString::fromStdString(pdf), 600);
        printer->setPageSize(QPageSize(paper));
        DeviceMode mode;
        job.UsePrinter(std::move(printer), mode, SheetSettings{spacing, words});
        PrintScorePicture(job, legend, score, SheetSettings{spacing, words});
        job.ReleasePrinter();
    }
    state.counters["notes"] = static_cast<double>(score.geometry.notes.size());
}

// The same sheet at the harp's 11.5 mm over A4 pages, against one fitted A3 page.
void Print_TrueScaleA4(benchmark::State& state)
{
    PrintThirtySevenStrings(state, QPageSize::A4, PaperSpacing::TenthsMm(115));
}
BENCHMARK(Print_TrueScaleA4)->Unit(benchmark::kMillisecond);

void Print_FitA3(benchmark::State& state)
{
    PrintThirtySevenStrings(state, QPageSize::A3, PaperSpacing::FitToPaper());
}
BENCHMARK(Print_FitA3)->Unit(benchmark::kMillisecond);

// A tune of 200 measures in 4/4: quarters and pairs of eighths wandering over two octaves,
// a half note closing every fourth measure.
const std::string& LongTune()
{
    static const std::string path = [] {
        CSongFileWriter w(200, 4);
        for (int m = 0; m < 200; ++m)
            for (int beat = 0; beat < 4; ++beat) {
                const int at = (m * 4 + beat) * 4, pitch = 60 + (m * 5 + beat * 3) % 24;
                if (m % 4 == 3 && beat >= 2) {
                    if (beat == 2)
                        w.AddNote(at, pitch, 8);
                } else if ((m + beat) % 3 == 0) {
                    w.AddNote(at, pitch, 2);
                    w.AddNote(at + 2, pitch + 2 <= 84 ? pitch + 2 : pitch - 2, 2);
                } else {
                    w.AddNote(at, pitch, 4);
                }
            }
        const std::string p = (Scratch() / "long-tune.mwd").string();
        w.Write(p);
        return p;
    }();
    return path;
}

// The whole long tune at the harp's scale on A4 sheets (37 strings: three pages a sheet; 25:
// two; 18: one), against its fitted A3 page (the first 32 measures).
void Print_LongTuneWholeTrueScaleA4(benchmark::State& state)
{
    const char* const harps[] = {"37", "25", "18"};
    PrintThirtySevenStrings(state, QPageSize::A4, PaperSpacing::TenthsMm(115), LongTune(), WordChoices{true, false, true},
                            true, harps[state.range(0)]);
}
BENCHMARK(Print_LongTuneWholeTrueScaleA4)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void Print_LongTuneFitA3(benchmark::State& state)
{
    PrintThirtySevenStrings(state, QPageSize::A3, PaperSpacing::FitToPaper(), LongTune(), WordChoices{true, false, true},
                            false, "25");
}
BENCHMARK(Print_LongTuneFitA3)->Unit(benchmark::kMillisecond);

// The long tune with three more voices beside its melody: a second and a third voice under it
// in its rhythm, and an accompaniment on every half measure, as a four-voice score stands.
void AddThreeVoices(Score& song)
{
    const std::vector<ScoreEvent> melody = song.voices.at(0).events;
    ScoreVoice second{VoiceRole::kSecond, "second", 2, {}}, third{VoiceRole::kThird, "third", 3, {}};
    ScoreVoice bass{VoiceRole::kAccompaniment, "bass", 4, {}};
    for (const ScoreEvent& e : melody) {
        second.events.push_back({e.onset, e.length, {e.pitches.at(0) - 4}, {}, false, e.drawn});
        third.events.push_back({e.onset, e.length, {e.pitches.at(0) - 9}, {}, false, e.drawn});
    }
    const int64_t half = song.meter.MeasureTicks() / 2;
    for (int64_t t = 0; t < song.Length(); t += half)
        bass.events.push_back({t, half, {43 + int(t / half) % 12}, {}, false, std::nullopt});
    song.voices.resize(1);
    song.voices.insert(song.voices.end(), {second, third, bass});
}

// The whole long tune's layout and its sheets at the 25-string harp's scale on A4: four voices
// against the melody alone, in one run.
void LayOutAndPlan(benchmark::State& state, bool voices)
{
    SilentSink quiet;
    IMessageSink* before = SetMessageSink(&quiet);
    Score song = *Load(LongTune());
    if (voices)
        AddThreeVoices(song);
    ConfigRecord settings = LoadConfigFile("/dev/null");
    ApplyHarpPreset(*FindHarpPreset("25"), settings);
    SheetSettings sheet;
    sheet.spacing = PaperSpacing::TenthsMm(FindHarpPreset("25")->spacingTenthsMm);
    const std::unique_ptr<QPrinter> printer = A3PdfPrinter(QString(), 600);
    printer->setPageSize(QPageSize(QPageSize::A4));
    const SheetPaper paper = PreparePaper(*printer, PaperSize::kA3, sheet.spacing);
    const SheetTextMeasure measure = MeasureSheetText(printer.get(), paper.mode.yResolution);
    FitScoreToFrame(song, ScoreFrameOf(settings), settings.lowestNote);
    size_t sheets = 0, notes = 0;
    for (auto _ : state) {
        const FittedScore score = LayOutFittedScore(ScoreFrameOf(settings), song, {1, song.measureCount}, 0);
        const SheetSet set = PlanSheets(score, sheet, paper, measure, std::nullopt);
        sheets = set.sheets.size();
        notes = score.geometry.notes.size();
        benchmark::DoNotOptimize(set);
    }
    state.counters["notes"] = static_cast<double>(notes);
    state.counters["sheets"] = static_cast<double>(sheets);
    SetMessageSink(before);
}

void Voices_FourLayoutAndPlan(benchmark::State& state)
{
    LayOutAndPlan(state, true);
}
BENCHMARK(Voices_FourLayoutAndPlan)->Unit(benchmark::kMillisecond);

void Voices_MelodyLayoutAndPlan(benchmark::State& state)
{
    LayOutAndPlan(state, false);
}
BENCHMARK(Voices_MelodyLayoutAndPlan)->Unit(benchmark::kMillisecond);

// The densest song with a syllable on every note and a new chord on every half beat.
const std::string& DensestSongWithWords()
{
    static const std::string path = [] {
        CSongFileWriter w(32, 8);
        const char* const chords[] = {"C", "Am7", "F", "G7", "Dm", "E7"};
        for (int c = 0; c < 32 * 8 * 2; ++c) {
            for (int k = 0; k < 3; ++k) {
                w.SetEntry(c, k, 55 + (c + k) % 25);
                w.SetText(c, k, k == 0 ? "\x82\xb3" : "la"); // さ, la
            }
            if (c % 2 == 0)
                w.SetChord(c / 2, chords[(c / 2) % 6], chords[(c / 2 + 1) % 6]);
        }
        const std::string p = (Scratch() / "densest-words.mwd").string();
        w.Write(p);
        return p;
    }();
    return path;
}

// The densest sheet with every word, chord name and measure, against the same sheet bare.
void Print_DensestWithWords(benchmark::State& state)
{
    PrintThirtySevenStrings(state, QPageSize::A3, PaperSpacing::FitToPaper(), DensestSongWithWords(), WordChoices{true, true, true});
}
BENCHMARK(Print_DensestWithWords)->Unit(benchmark::kMillisecond);

void Print_DensestWithoutWords(benchmark::State& state)
{
    PrintThirtySevenStrings(state, QPageSize::A3, PaperSpacing::FitToPaper(), DensestSongWithWords(), WordChoices{false, false, false});
}
BENCHMARK(Print_DensestWithoutWords)->Unit(benchmark::kMillisecond);

// The whole process: start, build the main window, paint it once, end.
void Startup_ToFirstPaint(benchmark::State& state)
{
    const fs::path config = Scratch() / "config";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        pid_t pid = 0;
        char* args[] = {const_cast<char*>(DP_STARTUP_PROGRAM), const_cast<char*>("-"),
                        const_cast<char*>("/dev/null"), const_cast<char*>("startup"), nullptr};
        posix_spawn(&pid, DP_STARTUP_PROGRAM, nullptr, nullptr, args, environ);
        int status = 0;
        waitpid(pid, &status, 0);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}
BENCHMARK(Startup_ToFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void Baseline_ProcessStart(benchmark::State& state)
{
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        pid_t pid = 0;
        char* args[] = {const_cast<char*>("/bin/true"), nullptr};
        posix_spawn(&pid, "/bin/true", nullptr, nullptr, args, environ);
        int status = 0;
        waitpid(pid, &status, 0);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}
BENCHMARK(Baseline_ProcessStart)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    InitialiseResources();
    SetMessageSink(&g_silent);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(Scratch());
    return 0;
}
