#include "app/RenderCommand.h"
#include "common/ByteIO.h"
#include "settings/ConfigRecord.h"
#include "song/CSongFileWriter.h"
#include "tests/support/MidiBytes.h"
#include "tests/support/MusicXmlText.h"
#include "tests/support/PdfProbe.h"
#include "tests/support/TestSupport.h"

#include <QImage>
#include <array>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <fstream>
#include <regex>
#include <set>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

class RenderCommandTest : public ::testing::Test {
protected:
    int Run(const std::vector<std::string>& args)
    {
        out.str("");
        err.str("");
        return RunRenderCommand(args, out, err);
    }
    std::string Sample(const char* name) const { return std::string(DP_SAMPLE_DIR) + "/" + name; }
    // A usage error is the one line that says what was wrong and where the usage is told.
    bool OneUsageLine() const
    {
        const std::string text = err.str();
        return text.rfind("dovrelplinvara-render: ", 0) == 0 && text.find('\n') == text.size() - 1 &&
               text.find(" (--help tells the usage)\n") != std::string::npos;
    }

    SandboxDir sandbox;
    RecordingSink sink;
    std::ostringstream out, err;
};

TEST_F(RenderCommandTest, InfoAndNotesOfASample)
{
    ASSERT_EQ(Run({"--info", "--notes", Sample("twinkle.mwd")}), 0);
    const std::string text = out.str();
    EXPECT_EQ(text.substr(0, text.find("title=")),
              "measures=12\nbeats=4\nkey=C\nloaded_key=C\ntranspose=0\nfirst=1\nlast=12\nlowest=60\nhighest=69\nmissing=0\n");
    EXPECT_NE(text.find("title=きらきら星\nfame=150\ntempo=100\nmoved=0\nskipped=0\ndropped=0\nwritten_measures=12\nplayed_measures=12\nrepeats=none\n"
                        "keys=C:0,C#:0,D:0,Eb:0,E:0,F:0,F#:0,G:0,Ab:0,A:0,Bb:0,B:0\nlyrics_left_out=0\n0\t60\t6\tmelody\n6\t60\t6\tmelody\n12\t67\t6\tmelody\n"), std::string::npos);
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(RenderCommandTest, KeyIsTheKeyAfterFittingAndLoadedKeyTheOneRead)
{
    struct Case {
        int low, high;
        const char* transpose;
        const char* key;
    };
    // A song in C moved by +15 is in the first major key of pitch class 3, by -11 of class 1.
    for (const Case& c : {Case{40, 64, "transpose=15", "key=Eb\nloaded_key=C\n"},
                          Case{60, 90, "transpose=-11", "key=C#\nloaded_key=C\n"}}) {
        CSongFileWriter w(2, 4);
        w.AddNote(0, c.low, 4);
        w.AddNote(4, c.high, 4);
        const std::string song = sandbox.Path("range.mwd");
        ASSERT_TRUE(w.Write(song));
        ASSERT_EQ(Run({"--info", song}), 0);
        EXPECT_NE(out.str().find(c.key), std::string::npos) << out.str();
        EXPECT_NE(out.str().find(c.transpose), std::string::npos) << out.str();
    }
}

TEST_F(RenderCommandTest, StandardErrorCarriesOnlyTheProgramsMessages)
{
#ifndef NDEBUG
    GTEST_SKIP() << "debug builds keep Qt's diagnostics";
#endif
    const std::string png = sandbox.Path("out.png");
    const std::string command = "env -u XDG_RUNTIME_DIR QT_QPA_PLATFORM=offscreen '" DP_RENDER_PROGRAM "' '" +
                                Sample("twinkle.mwd") + "' '" + png + "' 2>'" + sandbox.Path("err.txt") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::vector<uint8_t> err = ReadFileBytes(sandbox.Path("err.txt"));
    EXPECT_EQ(std::string(err.begin(), err.end()), "");
}

TEST_F(RenderCommandTest, WideSampleIsFittedAndRangesAreChecked)
{
    ASSERT_EQ(Run({"--info", "--measures", "2-3", Sample("scale.mwd")}), 0);
    EXPECT_NE(out.str().find("first=2\nlast=3\n"), std::string::npos);
    EXPECT_NE(out.str().find("highest=79\n"), std::string::npos) << "the highest note comes down to the top string";
    EXPECT_EQ(Run({"--measures", "3-2", Sample("scale.mwd")}), 2);
    EXPECT_EQ(Run({"--measures", "1-99", Sample("scale.mwd")}), 2);
    EXPECT_TRUE(OneUsageLine()) << err.str();
    EXPECT_EQ(Run({"--frobnicate", Sample("scale.mwd")}), 2);
    EXPECT_EQ(err.str(), "dovrelplinvara-render: unknown option --frobnicate (--help tells the usage)\n");
    EXPECT_EQ(Run({}), 2);
    EXPECT_EQ(err.str(), "dovrelplinvara-render: no SONG given (--help tells the usage)\n");
    EXPECT_EQ(Run({"--key", "Em", Sample("scale.mwd")}), 2);
    EXPECT_TRUE(OneUsageLine()) << err.str();
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_EQ(out.str(), kRenderUsage);
    EXPECT_EQ(err.str(), "");
}

TEST_F(RenderCommandTest, PicturesAtBothZoomsAndFailures)
{
    const std::string png = sandbox.Path("score.png");
    ASSERT_EQ(Run({Sample("sakura.mwd"), png}), 0);
    EXPECT_EQ(QImage(QString::fromStdString(png)).size(), QSize(832, 830));
    ASSERT_EQ(Run({"--zoom", "0.5", Sample("sakura.mwd"), png}), 0);
    EXPECT_EQ(QImage(QString::fromStdString(png)).size(), QSize(416, 415));

    ASSERT_EQ(Run({"--zoom", "0.1", Sample("sakura.mwd"), png}), 0) << "the settings' least zoom";
    EXPECT_EQ(QImage(QString::fromStdString(png)).size(), QSize(83, 83));
    // Outside the settings' range the zoom is refused by its value, not as a file that failed.
    for (const char* zoom : {"0.001", "1e-300", "0.09", "4.01", "0", "-1", "nan", "inf", "1e400"}) {
        EXPECT_EQ(Run({"--zoom", zoom, Sample("sakura.mwd"), png + "3"}), 2) << zoom;
        EXPECT_NE(err.str().find("--zoom needs a factor from 0.1 to 4, not \"" + std::string(zoom) + "\""),
                  std::string::npos)
            << err.str();
        EXPECT_EQ(err.str().find("cannot write"), std::string::npos) << zoom;
    }
    EXPECT_FALSE(fs::exists(png + "3"));

    EXPECT_EQ(Run({sandbox.Path("missing.mwd"), png + "2"}), 1);
    EXPECT_EQ(err.str(), "dovrelplinvara-render: cannot open the song file " + sandbox.Path("missing.mwd") + "\n");
    EXPECT_EQ(sink.Count(), 0u) << "the empty song's messages say nothing of the file";
    EXPECT_FALSE(fs::exists(png + "2"));
    EXPECT_EQ(Run({Sample("sakura.mwd"), sandbox.Path("no/such/folder/out.png")}), 1);
}

TEST_F(RenderCommandTest, SettingsFileDecidesThePicture)
{
    ConfigRecord r = DefaultConfigRecord();
    r.stringCount = 12;
    r.lineSpacing = 20;
    r.verticalSize = 400;
    r.lowestNote = 60;
    FillStringNotes(r);
    const ConfigImage image = EncodeConfigRecord(r);
    const std::string settings = sandbox.Path("setup.ini");
    WriteFileBytes(settings, std::vector<uint8_t>(image.begin(), image.end()));
    const std::string png = sandbox.Path("small.png");
    ASSERT_EQ(Run({"--settings", settings, "--info", Sample("twinkle.mwd"), png}), 0);
    EXPECT_EQ(QImage(QString::fromStdString(png)).size(), QSize(13 * 20, 400));
    EXPECT_NE(out.str().find("lowest=60\nhighest=69\n"), std::string::npos);
    EXPECT_EQ(Run({"--settings", sandbox.Path("none.ini"), Sample("twinkle.mwd")}), 1);
}

TEST_F(RenderCommandTest, AnyHarpFromTheCommandLineAndItsMissingNotes)
{
    ASSERT_EQ(Run({"--info", "--tuning", "C", "--strings", "15", "--lowest", "G3", Sample("twinkle.mwd")}), 0);
    EXPECT_NE(out.str().find("transpose=0\nfirst=1\nlast=12\nlowest=60\nhighest=69\nmissing=0\n"), std::string::npos)
        << out.str();
    ASSERT_EQ(Run({"--info", "--tuning", "G", "--strings", "8", "--lowest", "55", Sample("scale.mwd")}), 0);
    const std::string text = out.str();
    const size_t at = text.find("missing=");
    ASSERT_NE(at, std::string::npos);
    EXPECT_GT(std::stoi(text.substr(at + 8)), 0) << "a two-octave scale cannot lie on eight strings";
    // B is no note of F major: the harp starts on B flat, as the settings dialog would make it.
    CSongFileWriter w(2, 4);
    for (int i = 0; i < 5; ++i)
        w.AddNote(4 * i, std::array{58, 60, 62, 64, 65}[static_cast<size_t>(i)], 4);
    ASSERT_TRUE(w.Write(sandbox.Path("fmajor.mwd")));
    ASSERT_EQ(Run({"--info", "--tuning", "F", "--strings", "5", "--lowest", "B3", sandbox.Path("fmajor.mwd")}), 0);
    EXPECT_NE(out.str().find("transpose=0\nfirst=1\nlast=2\nlowest=58\nhighest=65\nmissing=0\n"), std::string::npos)
        << out.str();
    EXPECT_EQ(Run({"--tuning", "E", Sample("twinkle.mwd")}), 2);
    EXPECT_EQ(Run({"--lowest", "H3", Sample("twinkle.mwd")}), 2);
    EXPECT_EQ(Run({"--strings", "4", Sample("twinkle.mwd")}), 2);
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(RenderCommandTest, NumbersOfOptionsAreWholeAndInRange)
{
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--fame", ""}, {"--fame", "256"}, {"--tune", ""}, {"--part", "99999999999"},
          {"--strings", "12x"}, {"--lowest", "C10"}, {"--lowest", ""}})
        EXPECT_EQ(Run({bad[0], bad[1], Sample("twinkle.mwd")}), 2) << bad[0] << " '" << bad[1] << "'";
    ASSERT_EQ(Run({"--info", "--strings", "15", "--lowest", "C#4", Sample("twinkle.mwd")}), 0);
    EXPECT_EQ(sink.Count(), 0u);
}

// Every file the renderer writes is whole or absent: under a file-size limit (as on a full
// disk) the old file stays, no partial or temporary file is left, and the exit status says so.
TEST_F(RenderCommandTest, AWriteCutShortLeavesTheOldFileAndFails)
{
    const std::string oldText = "the old file\n";
    for (const char* name : {"out.mwd", "out.png", "out.pdf", "out.svg", "out.wav"}) {
        SCOPED_TRACE(name);
        const std::string folder = sandbox.Path(std::string("cut-") + name);
        fs::create_directory(folder);
        const std::string target = folder + "/" + name;
        WriteFileBytes(target, std::vector<uint8_t>(oldText.begin(), oldText.end()));
        const bool mwd = std::string(name) == "out.mwd", wav = std::string(name) == "out.wav";
        const std::string output = mwd   ? "--write-mwd '" + target + "'"
                                   : wav ? "--audio '" + target + "'"
                                         : "'" + target + "'";
        // 4 KiB: less than any of the four files needs.
        const std::string command = "ulimit -f 4; QT_QPA_PLATFORM=offscreen '" DP_RENDER_PROGRAM "' " +
                                    std::string(mwd || wav ? output + " '" + Sample("sakura.mwd") + "'"
                                                    : "'" + Sample("sakura.mwd") + "' " + output) +
                                    " 2>'" + sandbox.Path("err.txt") + "'";
        const int status = std::system(("bash -c \"" + command + "\"").c_str());
        ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal";
        EXPECT_EQ(WEXITSTATUS(status), 1);
        const std::vector<uint8_t> kept = ReadFileBytes(target);
        EXPECT_EQ(std::string(kept.begin(), kept.end()), oldText);
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1) << "a temporary file was left";
        const std::vector<uint8_t> err = ReadFileBytes(sandbox.Path("err.txt"));
        EXPECT_NE(std::string(err.begin(), err.end()).find("cannot write " + target), std::string::npos);
    }
}

TEST_F(RenderCommandTest, WritingOverTheSongIsAUsageError)
{
    const std::string song = sandbox.Path("song.mwd"), link = sandbox.Path("link.mwd");
    fs::copy_file(Sample("sakura.mwd"), song);
    fs::create_symlink(song, link);
    const std::vector<uint8_t> before = ReadFileBytes(song);
    EXPECT_EQ(Run({"--write-mwd", song, song}), 2);
    EXPECT_EQ(Run({"--write-mwd", link, song}), 2);
    EXPECT_EQ(Run({link, song}), 2) << "OUTPUT too";
    EXPECT_NE(err.str().find("OUTPUT must not be SONG"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(song), before);
    EXPECT_EQ(Run({"--write-mwd", sandbox.Path("copy.mwd"), song}), 0);
    EXPECT_EQ(ReadFileBytes(sandbox.Path("copy.mwd")), before);
}

// A FIFO as the song, as the settings file or as OUTPUT must neither block nor be replaced.
TEST_F(RenderCommandTest, SpecialFilesAreRefusedWithoutBlocking)
{
    alarm(30);
    const std::string fifo = sandbox.Path("pipe.mwd");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    EXPECT_EQ(Run({fifo}), 1);
    EXPECT_NE(err.str().find("cannot open the song file " + fifo), std::string::npos);
    EXPECT_EQ(Run({"--settings", fifo, Sample("sakura.mwd")}), 1);
    EXPECT_NE(err.str().find("cannot read the settings file"), std::string::npos);
    const std::string pipePng = sandbox.Path("out-pipe.png");
    ASSERT_EQ(mkfifo(pipePng.c_str(), 0644), 0);
    EXPECT_EQ(Run({Sample("sakura.mwd"), pipePng}), 1);
    EXPECT_TRUE(fs::is_fifo(pipePng));
    alarm(0);
}

// One rule for every format: a path over 259 bytes is refused as a song file that cannot be
// opened, which the renderer names.
TEST_F(RenderCommandTest, AScorePathOverTheLimitIsRefusedWithAMessage)
{
    std::string folder = sandbox.Path("long");
    while (folder.size() < 250)
        folder += "/" + std::string(20, 'd');
    fs::create_directories(folder);
    const std::string score = folder + "/song.abc";
    const std::string abc = "X:1\nT:Long\nK:C\nCDEF|\n";
    WriteFileBytes(score, std::vector<uint8_t>(abc.begin(), abc.end()));
    EXPECT_EQ(Run({"--info", score}), 1);
    EXPECT_NE(err.str().find("cannot open the song file " + score), std::string::npos);
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(RenderCommandTest, SheetOptionsAreCheckedAsUsage)
{
    const std::string song = Sample("twinkle.mwd");
    const std::string pdf = sandbox.Path("x.pdf"), svg = sandbox.Path("x.svg"), png = sandbox.Path("x.png");
    for (const char* spacing : {"4.9", "20.1", "11.55", "11.", ".5", "1e1", "-5", "11,5", "fitted", ""}) {
        EXPECT_EQ(Run({"--spacing", spacing, song, pdf}), 2) << spacing;
        EXPECT_NE(err.str().find("--spacing needs"), std::string::npos) << spacing;
    }
    EXPECT_EQ(Run({"--spacing", "11.5", song, png}), 2) << "a PNG has no paper scale";
    EXPECT_EQ(Run({"--landscape", song, svg}), 2);
    EXPECT_EQ(Run({"--paper", "A5", song, pdf}), 2);
    EXPECT_NE(err.str().find("A3, A4, B4 or Letter"), std::string::npos);
    EXPECT_EQ(Run({"--harp", "36", song, pdf}), 2);
    EXPECT_NE(err.str().find("37, 25, 21, 18 or 15G"), std::string::npos);
    EXPECT_EQ(Run({"--harp", "37", "--strings", "25", song, pdf}), 2) << "two harps at once";
    EXPECT_FALSE(fs::exists(pdf));
    EXPECT_EQ(sink.Count(), 0u);

    EXPECT_EQ(Run({"--spacing", "5", "--paper", "B4", "--landscape", song, pdf}), 0) << err.str();
    EXPECT_EQ(Run({"--spacing", "20.0", song, svg}), 0) << err.str();
    EXPECT_EQ(Run({"--harp", "15g", "--spacing", "fit", song, pdf}), 0) << err.str();
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(RenderCommandTest, HarpPresetSetsTheStringsFromG2)
{
    // G2 (43) lies below the settings dialog's range; nothing on the way clamps it.
    ASSERT_EQ(Run({"--harp", "37", "--info", Sample("twinkle.mwd")}), 0);
    EXPECT_NE(out.str().find("missing=0\n"), std::string::npos);
    ASSERT_EQ(Run({"--harp", "37", "--notes", Sample("twinkle.mwd")}), 0);
    EXPECT_NE(out.str().find("0\t60\t6\tmelody\n"), std::string::npos) << "C4 stays: it is on the harp";

    // The SVG holds the whole sheet at the harp's scale: 38 string spacings and the margins.
    const std::string svg = sandbox.Path("sheet.svg");
    ASSERT_EQ(Run({"--harp", "37", Sample("twinkle.mwd"), svg}), 0);
    const std::vector<uint8_t> bytes = ReadFileBytes(svg);
    const std::string text(bytes.begin(), bytes.end());
    std::smatch m;
    ASSERT_TRUE(std::regex_search(text, m, std::regex("width=\"([0-9.]+)mm\" height=\"([0-9.]+)mm\"")));
    // At least from the lowest string's circle to the highest's, and the margins; at most the
    // whole picture (38 spacings) and the margins.
    EXPECT_GE(std::stod(m[1]), 36 * 11.5 + 12 * 11.5 / 32 + 6 - 0.5);
    EXPECT_LE(std::stod(m[1]), 38 * 11.5 + 6 + 0.5);
    EXPECT_GT(std::stod(m[2]), 830 * 11.5 / 32);
    EXPECT_NE(text.find(">100 mm"), std::string::npos);
    EXPECT_NE(text.find(">印刷<"), std::string::npos);
}

// The window's playback written offline: 16-bit stereo PCM at 44.1 kHz, the shown measures at
// the song's tempo times --tempo, then the strings ringing out for 1.5 s.
TEST_F(RenderCommandTest, AudioIsThePlaybackAsAWaveFile)
{
    const auto dataFrames = [](const std::vector<uint8_t>& wave) {
        const std::span<const uint8_t> b(wave);
        EXPECT_EQ(std::string(wave.begin(), wave.begin() + 4), "RIFF");
        EXPECT_EQ(std::string(wave.begin() + 8, wave.begin() + 16), "WAVEfmt ");
        EXPECT_EQ(bytes::ReadInt16(b, 20), 1);
        EXPECT_EQ(bytes::ReadInt16(b, 22), 2);
        EXPECT_EQ(bytes::ReadInt32(b, 24), 44100);
        EXPECT_EQ(bytes::ReadInt16(b, 34), 16);
        EXPECT_EQ(size_t(bytes::ReadInt32(b, 40)) + 44, wave.size());
        return (int64_t(wave.size()) - 44) / 4;
    };
    const std::string wav = sandbox.Path("sakura.wav"), png = sandbox.Path("sakura.png");
    ASSERT_EQ(Run({"--audio", wav, Sample("sakura.mwd"), png}), 0) << err.str();
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(sink.Count(), 0u);
    EXPECT_TRUE(fs::exists(png)) << "the picture too";
    ASSERT_EQ(Run({"--info", Sample("sakura.mwd")}), 0);
    std::smatch m;
    const std::string info = out.str();
    ASSERT_TRUE(std::regex_search(info, m, std::regex("measures=(\\d+)\nbeats=(\\d+)")));
    const int64_t beats = std::stoi(m[1]) * std::stoi(m[2]);
    ASSERT_TRUE(std::regex_search(info, m, std::regex("tempo=(\\d+)")));
    const int tempo = std::stoi(m[1]);
    const int64_t tail = 44100 * 3 / 2;
    const int64_t frames = dataFrames(ReadFileBytes(wav));
    EXPECT_EQ(frames - tail, beats * 60 * 44100 / tempo);

    ASSERT_EQ(Run({"--audio", wav, "--tempo", "50", Sample("sakura.mwd")}), 0) << err.str();
    EXPECT_EQ(dataFrames(ReadFileBytes(wav)) - tail, 2 * (frames - tail)) << "half the speed, twice as long";
    ASSERT_EQ(Run({"--audio", wav, "--measures", "2-3", Sample("sakura.mwd")}), 0) << err.str();
    EXPECT_EQ(dataFrames(ReadFileBytes(wav)) - tail, 2 * std::stoi(info.substr(info.find("beats=") + 6)) * 60 * 44100 / tempo)
        << "the shown measures only";

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--audio", wav, "--tempo", "49", Sample("sakura.mwd")},
          {"--audio", wav, "--tempo", "151", Sample("sakura.mwd")},
          {"--audio", wav, "--tempo", "1e2", Sample("sakura.mwd")},
          {"--tempo", "100", Sample("sakura.mwd"), png},
          {"--audio", png, Sample("sakura.mwd"), png},
          {"--audio", Sample("sakura.mwd"), Sample("sakura.mwd")},
          {"--audio"}}) {
        EXPECT_EQ(Run(args), 2) << args.size() << " arguments from " << args[0];
        EXPECT_TRUE(OneUsageLine()) << err.str();
    }
}

// A WAVE file's sizes are 32-bit: a render past 4 GiB is refused before anything is written,
// saying how long it would be.
TEST_F(RenderCommandTest, AWaveFilePastFourGibIsRefusedBeforeAnythingIsWritten)
{
    const std::string folder = sandbox.Path("long");
    fs::create_directory(folder);
    // The whole tune lasts 96 s, 384 s at a quarter of its tempo: 64 passes and the ringing out
    // are 24577.5 s, past the 24347.9 s that 4 GiB hold.
    EXPECT_EQ(Run({"--audio", folder + "/long.wav", "--tempo", "25", "--loop", "64", "--measures", "all", "--info",
                   "--write-mwd", folder + "/song.mwd", Sample("jinglebells.mwd"), folder + "/sheet.png"}),
              2);
    EXPECT_EQ(err.str(), "dovrelplinvara-render: --audio would last 6 h 49 min (4.3 GB), longer than the 4 GiB a "
                         "WAVE file holds (6 h 45 min): play fewer measures or passes, or faster (--help tells the "
                         "usage)\n");
    EXPECT_EQ(out.str(), "");
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_EQ(sink.Count(), 0u);
}

// A render stopped from outside leaves no temporary file beside its output. 63 passes are just
// under 4 GiB: the render is taken and lasts long enough for the signal to land while it writes.
TEST_F(RenderCommandTest, ARenderStoppedBySignalLeavesNoFileBehind)
{
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        const std::string folder = sandbox.Path("stopped" + std::to_string(signal));
        fs::create_directory(folder);
        const std::string wav = folder + "/long.wav", song = Sample("jinglebells.mwd");
        std::vector<std::string> args{DP_RENDER_PROGRAM, "--audio", wav, "--tempo", "25", "--loop", "63",
                                      "--measures", "all", song};
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        // The child starts with the default actions, whatever this process ignores.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t defaults;
        sigemptyset(&defaults);
        for (const int s : {SIGTERM, SIGINT, SIGHUP})
            sigaddset(&defaults, s);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
        pid_t child = 0;
        ASSERT_EQ(posix_spawn(&child, DP_RENDER_PROGRAM, nullptr, &attributes, argv.data(), environ), 0);
        posix_spawnattr_destroy(&attributes);
        // Samples are being written once the temporary file holds more than its header.
        bool writing = false;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!writing && std::chrono::steady_clock::now() < until) {
            std::error_code error;
            for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
                writing = writing || (entry.path().filename().string().rfind("long.wav.", 0) == 0 &&
                                      fs::file_size(entry.path(), error) > 44);
            if (!writing)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        EXPECT_TRUE(writing) << "no temporary file was written";
        kill(child, signal);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "status " << status;
        EXPECT_TRUE(fs::is_empty(folder)) << fs::directory_iterator(folder)->path();
    }
}

// Texts read from the file (a part's or a track's name) or given (the title) make no --info
// lines of their own and bring no control characters to the terminal.
TEST_F(RenderCommandTest, TextsFromTheFileMakeNoLinesOfTheirOwn)
{
    using namespace mx;
    const std::string score = sandbox.Path("names.musicxml"), midi = sandbox.Path("names.mid");
    WriteFileBytes(score, Bytes(XmlOfParts({{"P1", "Voice&#10;melody_from=forged"}, {"P2", "Bass&#13;&#27;[2J"}},
                                      Part("P1", {Measure(1, Attributes(1) + Note("E5", 2) + Note("C5", 2))}) +
                                          Part("P2", {Measure(1, Attributes(1) + Note("C3", 4))}))));
    MidiTrackBytes melody, bass;
    melody.Name(std::string_view("Tune\nfame=1\0\x1b]0;x\x07", 16)).Note(0, 72, 480).Note(0, 74, 480).End();
    bass.Name("Bass\x7f\xc2\x9b" "31m").Note(0, 48, 960).End();
    WriteFileBytes(midi, MidiFileBytes(1, 480, {melody, bass}));
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--info", "--voices", "melody=1,acc=2", score},
          {"--info", midi},
          {"--info", "--title", "Title\nkey=X\x1b[0m\r", Sample("twinkle.mwd")}}) {
        SCOPED_TRACE(args[args.size() - 1]);
        ASSERT_EQ(Run(args), 0) << err.str();
        std::istringstream lines(out.str());
        std::set<std::string> keys;
        for (std::string line; std::getline(lines, line);) {
            EXPECT_TRUE(std::regex_match(line, std::regex("[a-z0-9_.]+=.*"))) << line;
            EXPECT_TRUE(keys.insert(line.substr(0, line.find('='))).second) << "a second " << line;
            EXPECT_TRUE(std::none_of(line.begin(), line.end(), [](char c) { return c >= 0 && (c < 0x20 || c == 0x7F); }))
                << line;
            EXPECT_EQ(line.find("\xc2\x9b"), std::string::npos) << "a C1 control: " << line;
        }
    }
    EXPECT_NE(out.str().find("title=Title\xEF\xBF\xBDkey=X\xEF\xBF\xBD[0m\xEF\xBF\xBD\n"), std::string::npos) << out.str();
}

// --info tells the sheets and pages the PDF gets on the paper asked for: the A3 sheet fitted
// takes two A4 pages, and at scale the paper and its turn decide.
TEST_F(RenderCommandTest, InfoTellsThePagesOfThePaperAskedFor)
{
    const std::string pdf = sandbox.Path("a4.pdf");
    const auto pages = [&](const std::string& facts) {
        std::smatch m;
        return std::regex_search(facts, m, std::regex("\nsheets=(\\d+)\npages=(\\d+)\n"))
                   ? m[1].str() + "/" + m[2].str()
                   : std::string("none");
    };
    ASSERT_EQ(Run({"--info", "--paper", "A4", Sample("twinkle.mwd"), pdf}), 0) << err.str();
    EXPECT_EQ(pages(out.str()), "1/2");
    EXPECT_EQ(PdfPages(pdf), 2);
    ASSERT_EQ(Run({"--info", "--paper", "A3", Sample("twinkle.mwd")}), 0) << err.str();
    EXPECT_EQ(pages(out.str()), "1/1");
    ASSERT_EQ(Run({"--info", Sample("twinkle.mwd")}), 0);
    EXPECT_EQ(pages(out.str()), "none") << "no paper asked for, the facts stay as they were";

    const std::vector<std::string> atScale{"--info", "--harp", "37", "--measures", "all", "--paper", "A4", "--portrait"};
    std::vector<std::string> alone = atScale, withPdf = atScale;
    alone.push_back(Sample("jinglebells.mwd"));
    withPdf.insert(withPdf.end(), {Sample("jinglebells.mwd"), pdf});
    ASSERT_EQ(Run(alone), 0) << err.str();
    const std::string told = pages(out.str());
    ASSERT_EQ(Run(withPdf), 0) << err.str();
    EXPECT_EQ(pages(out.str()), told);
    EXPECT_EQ(told.substr(told.find('/') + 1), std::to_string(PdfPages(pdf)));
    std::vector<std::string> landscape = alone;
    landscape[landscape.size() - 2] = "--landscape";
    ASSERT_EQ(Run(landscape), 0) << err.str();
    EXPECT_NE(pages(out.str()), told) << "the turned paper takes other pages";
    EXPECT_EQ(Run({"--paper", "A4", Sample("twinkle.mwd"), sandbox.Path("x.svg")}), 2) << "no PDF and no --info";
}

// --from 2 --to 2 on a measure inside a repeat: that measure once, as the window's passage.
TEST_F(RenderCommandTest, APassageInsideARepeatIsRenderedOnce)
{
    const std::string abc = sandbox.Path("repeat.abc"), wav = sandbox.Path("repeat.wav");
    std::ofstream(abc) << "X:1\nT:Rep\nM:4/4\nL:1/4\nQ:1/4=60\nK:C\n|:c d e f|g a b c':|d4|]\n";
    ASSERT_EQ(Run({"--audio", wav, "--from", "2", "--to", "2", abc}), 0) << err.str();
    const std::vector<uint8_t> wave = ReadFileBytes(wav);
    ASSERT_GT(wave.size(), 44u);
    EXPECT_EQ((int64_t(wave.size()) - 44) / 4 - 44100 * 3 / 2, 4 * 44100) << "one measure of four beats";
}
