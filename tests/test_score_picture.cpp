#include "tests/SongAsScore.h"
#include "controls/COffScreenControl.h"
#include "render/CScorePicture.h"
#include "render/ScoreDrawing.h"
#include "controls/PictureScaling.h"
#include "settings/ConfigRecord.h"
#include "tests/support/TestSupport.h"
#include "tests/support/UiTestSupport.h"

#include <QPainter>
#include <gtest/gtest.h>

class ScorePictureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        host = std::make_unique<COffScreenControl>(nullptr, 1001, false);
        Make(25, 32, 830);
    }
    void TearDown() override { score.Destroy(); }

    void Make(int strings, int spacing, int height, double zoom = 1.0)
    {
        ConfigRecord r = DefaultConfigRecord();
        score.Create(host.get(), PictureRect{10, 10, (strings + 1) * spacing + 10, height + 10},
                     ScoreSetup{strings, r.stringNotes, spacing, 10, zoom});
    }
    QImage Picture() const { return *CScorePicture::Surface(0); }
    // The top row of the circle on string line x: the first dark pixel beside the line.
    int CircleTop(int x) const
    {
        const QImage img = Picture();
        for (int y = 0; y < img.height(); ++y)
            if (IsBlack(img.pixel(x + 1, y)))
                return y;
        return -1;
    }

    RecordingSink sink;
    std::unique_ptr<COffScreenControl> host;
    CScorePicture score;
};

TEST_F(ScorePictureTest, EmptyScoreHasItsStringLinesOnly)
{
    const QImage img = Picture();
    ASSERT_EQ(img.size(), QSize(832, 830));
    EXPECT_EQ(host->geometry(), QRect(10, 10, 832, 830));
    for (int x = 0; x < 832; ++x) {
        const bool line = x >= 22 && x <= 790 && (x - 22) % 32 == 0;
        ASSERT_EQ(IsBlack(img.pixel(x, 400)), line) << x;
        ASSERT_EQ(IsBlack(img.pixel(x, 0)), line) << x;
    }
    EXPECT_EQ(score.GetHighestStringPitch(0), 79);
}

TEST_F(ScorePictureTest, NotesSitAtTheirTimeAndString)
{
    score.SetTotalLength(0, 768);
    score.AddNote(0, 384, 60, Sixths(6)); // C4 is string 5: x = 6 * 32 - 10
    score.Draw(0);
    EXPECT_EQ(CircleTop(182), 425 - 6);
    score.ClearNotes(0);
    score.SetTotalLength(0, 96);
    score.AddNote(0, 6, 55, Sixths(6)); // 4980 / 96 truncates to 51, plus 10
    score.Draw(0);
    EXPECT_EQ(CircleTop(22), 61 - 6);
}

TEST_F(ScorePictureTest, CircleSizeAndFillTellTheLength)
{
    struct Case {
        int length;
        bool black;
        int diameter;
    };
    const Case cases[] = {{1, true, 8}, {3, true, 8}, {6, true, 12}, {12, false, 8},
                          {18, false, 8}, {24, false, 12}, {48, false, 8}};
    score.SetTotalLength(0, 830 * 10);
    int time = 0;
    for (const Case& c : cases) {
        score.AddNote(0, time, 55 + 2 * (&c - cases), Sixths(c.length));
        time += 800;
    }
    score.Draw(0);
    const QImage img = Picture();
    time = 0;
    for (const Case& c : cases) {
        const int x = (2 * static_cast<int>(&c - cases) + 1) * 32 - 10;
        const int y = 830 * time / (830 * 10) + 10;
        time += 800;
        EXPECT_EQ(IsBlack(img.pixel(x + 2, y)), c.black) << c.length;
        // Horizontal extent of the circle on its centre row; the lines there end inside it.
        int left = x, right = x;
        for (int dx = -10; dx <= 10; ++dx)
            if (!IsWhite(img.pixel(x + dx, y)))
                left = std::min(left, x + dx), right = std::max(right, x + dx);
        EXPECT_EQ(right - left + 1, c.diameter) << c.length;
    }
}

TEST_F(ScorePictureTest, FilledEllipsePaintsExactlyItsBox)
{
    QImage img(60, 460, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    COffScreenPicture::PreparePainter(p);
    COffScreenPicture::DrawFilledEllipse(p, 18, 421, 30, 433, qRgb(0, 0, 0), qRgb(0, 0, 0));
    p.end();
    int minX = 1000, maxX = -1, minY = 1000, maxY = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (IsBlack(img.pixel(x, y))) {
                minX = std::min(minX, x), maxX = std::max(maxX, x);
                minY = std::min(minY, y), maxY = std::max(maxY, y);
            }
    EXPECT_EQ(minX, 18);
    EXPECT_EQ(maxX, 29);
    EXPECT_EQ(minY, 421);
    EXPECT_EQ(maxY, 432);
    EXPECT_TRUE(IsBlack(img.pixel(24, 427))) << "filled";
}

TEST_F(ScorePictureTest, LinesSkipNotesWithoutAString)
{
    score.SetTotalLength(0, 830);
    score.AddNote(0, 100, 55, 6);  // string 0, x 22
    score.AddNote(0, 300, 40, 6);  // below the strings: no circle
    score.AddNote(0, 500, 57, 6);  // string 2, x 86
    score.Draw(0);
    const QImage img = Picture();
    // The line runs straight from (22, 110) to (86, 510); halfway it is near x = 54.
    bool nearMiddle = false;
    for (int x = 50; x <= 58; ++x)
        nearMiddle = nearMiddle || IsBlack(img.pixel(x, 310));
    EXPECT_TRUE(nearMiddle);
    EXPECT_TRUE(IsWhite(img.pixel(40, 310)));

    score.ClearNotes(0);
    score.AddNote(0, 400, 60, 6);
    score.Draw(0);
    const QImage one = Picture();
    int dark = 0;
    for (int x = 0; x < 832; ++x)
        dark += IsBlack(one.pixel(x, 300)) ? 1 : 0;
    EXPECT_EQ(dark, 25) << "one note draws no connecting line";
}

TEST_F(ScorePictureTest, FewerStringsRemoveTheirLinesAndNotes)
{
    score.SetTotalLength(0, 830);
    score.AddNote(0, 100, 56, 6);
    score.AddNote(0, 300, 78, 6); // string 23
    score.AddNote(0, 500, 58, 6);
    score.SetStrings(0, 10, 32);
    const QImage img = Picture();
    EXPECT_TRUE(IsBlack(img.pixel(310, 700)));
    EXPECT_TRUE(IsWhite(img.pixel(342, 700))) << "string 11 is gone";
    EXPECT_TRUE(IsWhite(img.pixel(24 * 32 - 10, 310))) << "its note too";
    EXPECT_EQ(score.GetHighestStringPitch(0), 64);
    score.SetStrings(0, 37, 32); // more strings than pitches: those lines only
    EXPECT_EQ(score.GetHighestStringPitch(0), 0);
}

TEST_F(ScorePictureTest, HalfZoomKeepsEveryStringLine)
{
    score.Destroy();
    Make(25, 32, 830, 0.5);
    host->resize(832, 830);
    score.Show(0);
    const QImage shown = host->ShownPicture();
    ASSERT_EQ(shown.size(), QSize(416, 415));
    int lines = 0;
    for (int x = 0; x < 416; ++x)
        lines += IsBlack(shown.pixel(x, 200)) ? 1 : 0;
    EXPECT_EQ(lines, 25);
    EXPECT_EQ(ScaleForShow(*CScorePicture::Surface(0), 1.5).size(), QSize(1248, 1245));
}

TEST_F(ScorePictureTest, ADrawWithoutAShowStillReachesTheScreenAtHalfZoom)
{
    score.Destroy();
    Make(25, 32, 830, 0.5);
    host->resize(832, 830);
    score.Show(0);
    EXPECT_FALSE(IsBlack(host->ShownPicture().pixel(200, 300)));
    score.AddNote(0, 0, 67, 6);
    score.SetTotalLength(0, 6);
    score.Draw(0); // no Show: a later paint must still show the surface as it is now
    const QImage shown = host->ShownPicture();
    int dark = 0;
    for (int y = 0; y < 40; ++y)
        dark += IsBlack(shown.pixel((22 + 32 * 12) / 2 + 1, y)) ? 1 : 0; // G4 is the 13th string
    EXPECT_GT(dark, 3) << "the new circle on the middle string shows in the half-size copy";
}

TEST(DrawingSurface, ErrorReportsAndTheirOneShot)
{
    RecordingSink sink;
    COffScreenPicture::ReportError(0);
    COffScreenPicture::ReportError(1);
    COffScreenPicture::ReportError(1);
    COffScreenPicture::ReportError(0);
    COffScreenPicture::ReportError(1);
    COffScreenPicture::ReportError(2);
    COffScreenPicture::ReportError(2);
    EXPECT_EQ(sink.Take(), (std::vector<std::string>{
                               "OSPC00000001 描画エラー。", "OSPC00000001 描画エラー。",
                               "OSPC00000002 COffScreenPictureでエラーが発生しました。",
                               "OSPC00000002 COffScreenPictureでエラーが発生しました。"}));
}

// The control makes only what it shows at the zoom, never a zoomed copy of the whole surface
// (175 MB at 4.0 for 37 strings 36 apart and 2000 high), and what it shows is the zoomed picture.
TEST_F(ScorePictureTest, TheControlPaintsWhatItShowsAtTheZoomWithoutAZoomedCopy)
{
    score.Destroy();
    Make(37, 36, 2000, 1.5);
    score.SetTotalLength(0, 768);
    for (int i = 0; i < 40; ++i)
        score.AddNote(0, i * 18, 55 + i % 20, 6);
    score.Draw(0);
    score.Show(0);
    const QImage& surface = *CScorePicture::Surface(0);
    const QImage whole = ScaleForShow(surface, 1.5);
    for (const QRect part : {QRect(0, 0, 300, 200), QRect(333, 1017, 401, 257), QRect(1900, 2900, 500, 500)})
        EXPECT_EQ(ScaleForShow(surface, 1.5, part), whole.copy(part & whole.rect())) << part.x();

    score.Destroy();
    Make(37, 36, 2000, 4.0);
    score.SetTotalLength(0, 768);
    for (int i = 0; i < 40; ++i)
        score.AddNote(0, i * 18, 55 + i % 20, 6);
    score.Draw(0);
    score.Show(0);
    ASSERT_EQ(host->size(), QSize(1368, 2000)) << "the control shows the picture's top left";
    const QRect shown(1000, 1700, 368, 300);
    QImage painted(shown.size(), QImage::Format_RGB32);
    painted.fill(Qt::red);
    host->render(&painted, QPoint(), QRegion(shown));
    EXPECT_EQ(painted, ScaleForShow(*CScorePicture::Surface(0), 4.0, shown));
}

// On the screen, as on paper, a voice's line into a circle it shares with the melody is the
// voice's colour, not the melody's that owns the circle.
TEST(ScorePictureVoices, ALineIntoASharedCircleKeepsItsVoicesColour)
{
    ScoreFrame frame;
    frame.width = 13 * 20;
    frame.height = 400;
    frame.stringSpacing = 20;
    frame.stringCount = 12;
    for (int i = 0; i < 12; ++i)
        frame.stringPitches[static_cast<size_t>(i)] = 60 + i;
    frame.totalLength = 24;
    ScoreLayout layout;
    layout.totalLength = 24;
    layout.notes = {{0, 70, 12}, {12, 66, 12}};
    layout.words.resize(2);
    // The third voice climbs into the melody's second circle from far under it.
    layout.voices.push_back({VoiceRole::kThird, "tenor", {{0, 60, 12}, {12, 66, 12}}});
    ScoreGeometry g = ComputeScoreGeometry(frame, layout.notes);
    AddVoices(g, frame, layout);
    ASSERT_EQ(g.CircleOf(0, 1), 1) << "the shared circle is the melody's";
    const QImage picture = CScorePicture::Picture(g);
    const PlacedNote &from = g.notes[static_cast<size_t>(g.CircleOf(0, 0))], &to = g.notes[1];
    const QPoint middle((from.x + to.x) / 2, (from.y + to.y) / 2);
    const QColor seen = picture.pixelColor(middle);
    EXPECT_EQ(seen, VoiceColour(VoiceRole::kThird)) << seen.name().toStdString();
}
