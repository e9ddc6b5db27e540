#include "app/CDovrelPlinvaraDlg.h"
#include "app/RenderCommand.h"
#include "common/ByteIO.h"
#include "import/CVoiceRolesDlg.h"
#include "library/TuneSheetsFile.h"
#include "print/CPrintPicture.h"
#include "print/PrintTarget.h"
#include "print/ScoreSheet.h"
#include "render/CScorePicture.h"
#include "settings/CConfigDlg.h"
#include "settings/HarpPresets.h"
#include "song/CSongFileWriter.h"
#include "tests/support/PdfProbe.h"
#include "tests/support/TestSupport.h"
#include "tests/support/UiTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPageLayout>
#include <QPainter>
#include <QMenu>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <filesystem>
#include <regex>
#include <gtest/gtest.h>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const std::string kPaperWarning = "プリンタで設定されている用紙サイズに誤りがあります。・";
const std::string kPrintError = "CPrintPicture::ErrorMsg";

// The test printer: a PDF file with the chosen paper, at a resolution where one device
// pixel is one pixel of a 150-dpi rendering.
std::string g_pdfPath;
QPageSize::PageSizeId g_size = QPageSize::A3;
QPageLayout::Orientation g_orientation = QPageLayout::Portrait;
int g_dpi = 150;
int g_runs = 0;
QString g_documentName;

std::unique_ptr<QPrinter> PdfPrinter(QWidget*, const QString& documentName, PaperChoice, bool)
{
    ++g_runs;
    g_documentName = documentName;
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(QString::fromStdString(g_pdfPath));
    printer->setResolution(g_dpi);
    printer->setPageLayout(QPageLayout(QPageSize(g_size), g_orientation, QMarginsF()));
    return printer;
}

std::unique_ptr<QPrinter> Cancelled(QWidget*, const QString&, PaperChoice, bool)
{
    ++g_runs;
    return nullptr;
}

QStringList NoPrinters() { return {}; }
QStringList OnePrinter() { return {QStringLiteral("Office")}; }

// A3 at 150 dpi: the picture's 832 pixels reach the paper's 1753.9 device pixels.
constexpr double kA3Scale = 2970 / 254.0 * 150 / 832;
constexpr double kPixelsPerMm = 150 / 25.4;

std::string Sample(const char* name)
{
    return std::string(DP_SAMPLE_DIR) + "/" + name;
}

double Span(const std::vector<double>& lines)
{
    return lines.empty() ? 0 : lines.back() - lines.front();
}

} // namespace

class PrintTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_pdfPath = sandbox.Path("out.pdf");
        g_runs = 0;
        g_dpi = 150;
        g_documentName.clear();
        previous = CPrintPicture::SetPrintDialogRunner(&PdfPrinter);
        previousLister = SetPrinterLister(&OnePrinter);
    }
    void TearDown() override
    {
        CPrintPicture::SetPrintDialogRunner(previous);
        SetPrinterLister(previousLister);
    }
    // 印刷, or with `whole` 全曲を印刷.
    void Print(QPageSize::PageSizeId size, QPageLayout::Orientation orientation, const std::string& song = "",
               bool whole = false)
    {
        g_size = size;
        g_orientation = orientation;
        CDovrelPlinvaraDlg window;
        if (!song.empty())
            window.LoadSong(song);
        if (whole)
            window.OnSystemCommand(MainCommand::kPrintWhole);
        else
            window.RunCommand(MainCommand::kPrint);
    }
    // The stretched bitmap page the print command used to make, for comparison: the picture
    // drawn losslessly where the score stands on an A3 page.
    void PrintBitmapPage(const std::string& pdf, const QImage& picture)
    {
        g_pdfPath = pdf;
        g_size = QPageSize::A3;
        g_orientation = QPageLayout::Portrait;
        std::unique_ptr<QPrinter> printer = PdfPrinter(nullptr, {}, PaperChoice::kA3, false);
        printer->setFullPage(false);
        const DeviceMode mode = DeviceModeOf(*printer);
        const DeviceRect r = PlaceItem(ComputePagePlacement(mode, picture.width(), picture.height(), 1.0), 0, 0,
                                       picture.width(), picture.height());
        QPainter p(printer.get());
        p.setRenderHint(QPainter::SmoothPixmapTransform, false);
        p.setRenderHint(QPainter::LosslessImageRendering, true);
        p.drawImage(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top), picture, picture.rect());
    }
    QImage Page(const std::string& pdf, int page = 1, QRect crop = {}, int dpi = 150)
    {
        return RenderPage(pdf, dpi, sandbox.Path("page" + std::to_string(++renders)), page, crop);
    }
    std::string WriteSong(const std::string& name, const std::string& title, int tempo)
    {
        CSongFileWriter w(4, 3);
        w.AddNote(0, 60, 4); // one beat on C4, the sixth string
        w.AddNote(12, 64, 2);
        if (!title.empty())
            w.SetTitleUtf8(title);
        w.SetTempo(tempo);
        const std::string path = sandbox.Path(name);
        w.Write(path);
        return path;
    }

    SandboxDir sandbox;
    RecordingSink sink;
    CPrintPicture::PrintDialogRunner previous = nullptr;
    PrinterLister previousLister = nullptr;
    int renders = 0;
};

TEST_F(PrintTest, A3PortraitIsOneVectorPageWithoutWarning)
{
    Print(QPageSize::A3, QPageLayout::Portrait, Sample("jinglebells.mwd"));
    EXPECT_EQ(sink.Count(), 0u);
    EXPECT_EQ(g_documentName, QStringLiteral("ジングルベル"));
    ASSERT_EQ(PdfPages(g_pdfPath), 1);
    EXPECT_EQ(PdfImageEncodings(g_pdfPath), std::vector<std::string>{}) << "the score is paths, not an image";
    const QImage page = Page(g_pdfPath);
    EXPECT_NEAR(page.width(), 1754, 2);
    EXPECT_NEAR(page.height(), 2480, 2);
    EXPECT_EQ(DarkRunCentres(page, 1749 - 3).size(), 25u) << "every string line reaches the score's bottom";
}

TEST_F(PrintTest, VectorPageTracesTheStretchedPicture)
{
    // The picture has no words or measure numbers: neither has the sheet compared with it.
    const std::string folder = sandbox.ConfigHome() + "/PV";
    std::filesystem::create_directories(folder);
    const std::string ini = "[sheet]\nlyrics=false\nmeasure_numbers=false\n";
    ASSERT_TRUE(WriteBytes(folder + "/sheet.ini", std::vector<uint8_t>(ini.begin(), ini.end())));
    // One one-beat note on string 12 (G4) at time 0: a large black circle on its line.
    CSongFileWriter w(4, 4);
    w.AddNote(0, 67, 4);
    w.Write(sandbox.Path("one.mwd"));
    Print(QPageSize::A3, QPageLayout::Portrait, sandbox.Path("one.mwd"));
    const std::string vectorPdf = g_pdfPath;
    {
        CDovrelPlinvaraDlg window;
        window.LoadSong(sandbox.Path("one.mwd"));
        PrintBitmapPage(sandbox.Path("bitmap.pdf"), CScorePicture::Picture(window.Score().geometry));
    }
    const std::vector<std::string> bitmapImages = PdfImageEncodings(sandbox.Path("bitmap.pdf"));
    ASSERT_EQ(bitmapImages.size(), 1u) << "the comparison page holds the picture";
    EXPECT_NE(bitmapImages[0], "jpeg") << "a picture on a page is stored losslessly";
    EXPECT_TRUE(PdfImageEncodings(vectorPdf).empty());

    const QImage vectorPage = Page(vectorPdf), bitmapPage = Page(sandbox.Path("bitmap.pdf"));
    for (int row : {200, 900, 1700}) {
        const std::vector<double> traced = DarkRunCentres(vectorPage, row);
        const std::vector<double> stretched = DarkRunCentres(bitmapPage, row);
        ASSERT_EQ(traced.size(), 25u) << row;
        ASSERT_EQ(stretched.size(), 25u) << row;
        for (size_t i = 0; i < traced.size(); ++i)
            EXPECT_NEAR(traced[i], stretched[i], 1.0) << "string " << i << " at row " << row;
    }
    // The circle: centred on its string at y 10, 12 picture pixels across.
    const int centreRow = static_cast<int>(10.5 * kA3Scale);
    const int lineX = static_cast<int>(((12 + 1) * 32 - 10 + 0.5) * kA3Scale);
    const auto traced = InkExtent(vectorPage, centreRow, lineX - 30, lineX + 30);
    const auto stretched = InkExtent(bitmapPage, centreRow, lineX - 30, lineX + 30);
    EXPECT_NEAR(traced.second - traced.first + 1, 12 * kA3Scale, 1.5);
    EXPECT_NEAR(traced.second - traced.first, stretched.second - stretched.first, 1.5);
    EXPECT_NEAR((traced.first + traced.second) / 2.0, lineX, 1.0) << "the circle sits on its line";
    EXPECT_NEAR((traced.first + traced.second) / 2.0, (stretched.first + stretched.second) / 2.0, 1.6);
}

TEST_F(PrintTest, LinesAreNeverThinnerThanAThirdOfAMillimetre)
{
    // Letter paper shrinks the picture: one picture pixel is 0.26 mm there.
    g_dpi = 600;
    Print(QPageSize::Letter, QPageLayout::Portrait);
    EXPECT_EQ(sink.Take(), std::vector<std::string>{kPaperWarning});
    const double scale = 2159 / 254.0 * 600 / 832;
    const int lineX = static_cast<int>(22.5 * scale);
    const QImage row = Page(g_pdfPath, 1, QRect(0, 600, lineX + 40, 1), 600);
    ASSERT_FALSE(row.isNull());
    EXPECT_GE(InkWidth(row, 0, lineX - 30, lineX + 30), 0.3 * 600 / 25.4 - 0.2);
    EXPECT_LT(scale, 0.3 * 600 / 25.4) << "the stretched pixel alone would be thinner";
}

TEST_F(PrintTest, OtherPapersWarnOnceAndPrintOneScaledPage)
{
    for (auto [size, orientation] : {std::pair{QPageSize::A3, QPageLayout::Landscape},
                                     std::pair{QPageSize::Letter, QPageLayout::Portrait}}) {
        fs::remove(g_pdfPath);
        Print(size, orientation);
        EXPECT_EQ(sink.Take(), std::vector<std::string>{kPaperWarning});
        EXPECT_EQ(PdfPages(g_pdfPath), 1);
    }
}

TEST_F(PrintTest, A4TakesTheA3SheetAtItsScaleOverTwoLandscapePages)
{
    Print(QPageSize::A3, QPageLayout::Portrait, Sample("jinglebells.mwd"));
    const double a3Span = Span(DarkRunCentres(Page(g_pdfPath), 100));
    ASSERT_GT(a3Span, 1500);

    for (auto orientation : {QPageLayout::Portrait, QPageLayout::Landscape}) {
        SCOPED_TRACE(orientation == QPageLayout::Portrait ? "A4 portrait" : "A4 landscape");
        fs::remove(g_pdfPath);
        Print(QPageSize::A4, orientation, Sample("jinglebells.mwd"));
        EXPECT_EQ(sink.Count(), 0u) << "A4 is no longer the wrong paper";
        ASSERT_EQ(PdfPages(g_pdfPath), 2);
        EXPECT_EQ(PdfPaper(g_pdfPath), "A4");
        const QImage top = Page(g_pdfPath, 1), bottom = Page(g_pdfPath, 2);
        for (const QImage* page : {&top, &bottom}) {
            ASSERT_NEAR(page->width(), 1754, 2) << "A4 landscape";
            ASSERT_NEAR(page->height(), 1240, 2);
        }
        EXPECT_NEAR(Span(DarkRunCentres(top, 100)), a3Span, 0.5 * kPixelsPerMm);
        EXPECT_NEAR(Span(DarkRunCentres(bottom, 300)), a3Span, 0.5 * kPixelsPerMm);

        // The 10 mm band closing the first page opens the second, with the same picture.
        const int band = static_cast<int>(10 * kPixelsPerMm + 0.5);
        int differing = 0;
        for (int y = 3; y < band - 3; ++y)
            for (int x = 0; x < 1500; ++x)
                differing += std::abs(qGray(top.pixel(x, 1240 - band + y)) - qGray(bottom.pixel(x, y))) > 24;
        EXPECT_LT(differing, 20);
        // The band's edges are cut-and-glue lines across the page.
        for (auto [page, y] : {std::pair{&top, 1240 - band}, std::pair{&bottom, band - 1}})
            EXPECT_GT(InkWidth(*page, y, 0, 1754), 500) << "a dashed line at row " << y;
        EXPECT_NE(PdfText(g_pdfPath, 1).find("1/2"), std::string::npos);
        EXPECT_NE(PdfText(g_pdfPath, 2).find("2/2"), std::string::npos);
        EXPECT_NE(PdfText(g_pdfPath, 2).find("ジングルベル"), std::string::npos) << "the legend is on the second half";
    }
}

TEST_F(PrintTest, LegendNamesEachStringAndTellsTheSong)
{
    Print(QPageSize::A3, QPageLayout::Portrait, WriteSong("夜の歌.mwd", "", 96));
    ASSERT_EQ(sink.Count(), 0u);
    const std::string text = WithoutSpaces(PdfText(g_pdfPath, 1));
    for (const char* expected : {"夜の歌", "調C", "1小節3拍", "テンポ96", "小節1〜4", "1拍", "2拍未満（1拍以外）", "4拍",
                                 "2拍以上（4拍以外）"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << " in " << text;

    // Each string's name right under the end of its line, centred on it.
    const char* names[] = {"G3", "G#3", "A3", "A#3", "B3", "C4", "C#4", "D4", "D#4", "E4", "F4", "F#4", "G4",
                           "G#4", "A4", "A#4", "B4", "C5", "C#5", "D5", "D#5", "E5", "F5", "F#5", "G5"};
    const std::vector<PdfWord> words = PdfWords(g_pdfPath, 1);
    const double scoreBottomPt = 1749 * 72.0 / 150;
    for (int i = 0; i < 25; ++i) {
        const auto word = std::find_if(words.begin(), words.end(), [&](const PdfWord& w) { return w.text == names[i]; });
        ASSERT_NE(word, words.end()) << names[i];
        const double lineXPt = ((i + 1) * 32 - 10 + 0.5) * kA3Scale * 72 / 150;
        EXPECT_NEAR((word->xMin + word->xMax) / 2, lineXPt, 72 / 25.4) << names[i];
        EXPECT_GT(word->yMin, scoreBottomPt - 1) << names[i];
        EXPECT_LT(word->yMin, scoreBottomPt + 3 * 72 / 25.4) << names[i];
    }

    // The circle kinds at their printed size, just before their captions.
    const QImage page = Page(g_pdfPath);
    for (auto [caption, diameter] : {std::pair{"1拍", 12}, std::pair{"2拍未満（1拍以外）", 8}, std::pair{"4拍", 12},
                                     std::pair{"2拍以上（4拍以外）", 8}}) {
        const auto word = std::find_if(words.begin(), words.end(), [&](const PdfWord& w) { return w.text == caption; });
        ASSERT_NE(word, words.end()) << caption;
        const int row = static_cast<int>((word->yMin + word->yMax) / 2 * 150 / 72);
        const int captionX = static_cast<int>(word->xMin * 150 / 72);
        const auto circle = InkExtent(page, row, captionX - static_cast<int>(12 * kA3Scale + 3 * kPixelsPerMm), captionX);
        EXPECT_NEAR(circle.second - circle.first + 1, diameter * kA3Scale, 2.0) << caption;
    }
}

TEST_F(PrintTest, AScoreThatFillsThePagePrintsWithoutLegend)
{
    ConfigRecord r = DefaultConfigRecord();
    r.verticalSize = 1180; // taller than the paper is long at the width's scale
    fs::create_directories(sandbox.ConfigHome() + "/PV");
    const ConfigImage image = EncodeConfigRecord(r);
    WriteFileBytes(sandbox.ConfigHome() + "/PV/setup.ini", std::vector<uint8_t>(image.begin(), image.end()));
    Print(QPageSize::A3, QPageLayout::Portrait, WriteSong("tall.mwd", "背の高い曲", 120));
    ASSERT_EQ(PdfPages(g_pdfPath), 1);
    const std::string text = WithoutSpaces(PdfText(g_pdfPath, 1));
    EXPECT_EQ(text.find("背の高い曲"), std::string::npos) << text;
    EXPECT_EQ(text.find("G3"), std::string::npos) << text;
    EXPECT_EQ(DarkRunCentres(Page(g_pdfPath), 2400).size(), 25u) << "the score itself runs to the bottom";
}

TEST_F(PrintTest, APrinterThatRefusesTheJobIsReportedOnce)
{
    g_pdfPath = sandbox.Path("no/such/folder/out.pdf");
    Print(QPageSize::A3, QPageLayout::Portrait, Sample("twinkle.mwd"));
    EXPECT_EQ(g_runs, 1);
    EXPECT_EQ(sink.Take(), std::vector<std::string>{kPrintError});
    EXPECT_FALSE(fs::exists(g_pdfPath));

    // The same through the jobs' own steps: a start that fails is said once, at the start.
    CPrintPicture job;
    job.expectedPaperSize = PaperSize::kA3;
    DeviceMode mode;
    ASSERT_TRUE(job.UsePrinter(PdfPrinter(nullptr, {}, PaperChoice::kA3, false), mode));
    EXPECT_FALSE(job.StartJob());
    EXPECT_EQ(sink.Take(), std::vector<std::string>{kPrintError});
    job.PrintPages(SheetSet{});
    job.EndJob();
    job.ReleasePrinter();
    EXPECT_EQ(sink.Count(), 0u);

    CPrintPicture never;
    never.EndJob(); // no document was started: the page cannot be ended
    EXPECT_EQ(sink.Take(), std::vector<std::string>{kPrintError});
}

TEST_F(PrintTest, CancelledDialogPrintsNothingAndSaysNothing)
{
    CPrintPicture::SetPrintDialogRunner(&Cancelled);
    CDovrelPlinvaraDlg window;
    window.show();
    QTest::mousePress(Control(&window, MainControl::kPrint), Qt::LeftButton, {}, QPoint(40, 15));
    QTest::mouseRelease(Control(&window, MainControl::kPrint), Qt::LeftButton, {}, QPoint(40, 15));
    EXPECT_EQ(g_runs, 1);
    EXPECT_FALSE(fs::exists(g_pdfPath));
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(PrintTest, RealPrintDialogOffersAFileAndSpeaksJapanese)
{
    CPrintPicture::SetPrintDialogRunner(nullptr);
    CDovrelPlinvaraDlg window;
    window.show();
    bool sawDialog = false, printToFile = false;
    QString title;
    QStringList buttons;
    WhenModalOpens([&](QWidget* modal) {
        sawDialog = modal->objectName() == QString::fromLatin1(kPrintDialogName);
        if (auto* dialog = qobject_cast<QPrintDialog*>(modal))
            printToFile = dialog->testOption(QAbstractPrintDialog::PrintToFile);
        title = modal->windowTitle();
        for (QPushButton* b : modal->findChildren<QPushButton*>())
            buttons << b->text();
        modal->close();
    });
    window.RunCommand(MainCommand::kPrint);
    EXPECT_TRUE(sawDialog);
    EXPECT_TRUE(printToFile);
    EXPECT_EQ(title, QStringLiteral("印刷"));
    EXPECT_TRUE(buttons.contains(QStringLiteral("キャンセル"))) << buttons.join(u',').toStdString();
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(PrintTest, WithoutAPrinterTheSheetIsSavedAsPdf)
{
    CPrintPicture::SetPrintDialogRunner(nullptr);
    SetPrinterLister(&NoPrinters);
    const std::string saved = sandbox.Path("saved.pdf");
    CDovrelPlinvaraDlg window;
    window.LoadSong(Sample("jinglebells.mwd"));
    window.show();
    QString title, suggested;
    QStringList filters, buttons;
    WhenModalOpens([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->objectName(), QString::fromLatin1(kSavePdfDialogName));
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        suggested = QFileInfo(dialog->selectedFiles().value(0)).fileName();
        for (QPushButton* b : dialog->findChildren<QPushButton*>())
            buttons << b->text();
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QString::fromStdString(saved));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    window.RunCommand(MainCommand::kPrint);
    EXPECT_EQ(title, QStringLiteral("PDFとして保存"));
    EXPECT_EQ(filters, QStringList{QStringLiteral("PDF (*.pdf)")});
    EXPECT_EQ(suggested, QStringLiteral("ジングルベル.pdf"));
    EXPECT_TRUE(buttons.contains(QStringLiteral("キャンセル"))) << buttons.join(u',').toStdString();
    EXPECT_EQ(sink.Count(), 0u);
    ASSERT_EQ(PdfPages(saved), 1);
    EXPECT_EQ(PdfPaper(saved), "A3") << "the page a printer would get";
    EXPECT_NE(PdfText(saved, 1).find("ジングルベル"), std::string::npos);
}

TEST(PrintTarget, PdfFileNames)
{
    EXPECT_EQ(PdfFileNameFor(QStringLiteral("さくらさくら")), QStringLiteral("さくらさくら.pdf"));
    EXPECT_EQ(PdfFileNameFor(QStringLiteral(" A/B ")), QStringLiteral("A_B.pdf"));
    EXPECT_EQ(PdfFileNameFor(QString()), QStringLiteral("score.pdf"));
    EXPECT_EQ(PdfFileNameFor(QStringLiteral("..")), QStringLiteral("score.pdf"));
}

class RenderedSheetTest : public PrintTest {
protected:
    int Run(const std::vector<std::string>& args)
    {
        std::ostringstream out;
        err.str("");
        return RunRenderCommand(args, out, err);
    }
    std::ostringstream err;
};

TEST_F(RenderedSheetTest, PaperChoosesThePagesAndSvgIsTheSameDrawing)
{
    const std::string song = Sample("jinglebells.mwd");
    ASSERT_EQ(Run({song, sandbox.Path("a3.pdf")}), 0);
    ASSERT_EQ(Run({"--paper", "A4", song, sandbox.Path("a4.pdf")}), 0);
    ASSERT_EQ(Run({song, sandbox.Path("sheet.svg")}), 0);
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(sink.Count(), 0u);
    EXPECT_EQ(PdfPages(sandbox.Path("a3.pdf")), 1);
    EXPECT_EQ(PdfPages(sandbox.Path("a4.pdf")), 2);
    EXPECT_TRUE(PdfImageEncodings(sandbox.Path("a3.pdf")).empty());
    EXPECT_TRUE(PdfImageEncodings(sandbox.Path("a4.pdf")).empty());

    const std::vector<uint8_t> svgBytes = ReadFileBytes(sandbox.Path("sheet.svg"));
    const std::string svg(svgBytes.begin(), svgBytes.end());
    EXPECT_EQ(svg.find("<image"), std::string::npos) << "no bitmap in the SVG either";
    EXPECT_NE(svg.find("<title>ジングルベル</title>"), std::string::npos);
    QSvgRenderer renderer(QString::fromStdString(sandbox.Path("sheet.svg")));
    ASSERT_TRUE(renderer.isValid());
    QImage drawn(1754, 2480, QImage::Format_RGB32);
    drawn.fill(Qt::white);
    QPainter painter(&drawn);
    renderer.render(&painter, QRectF(0, 0, 1754, 2480));
    painter.end();
    const std::vector<double> fromSvg = DarkRunCentres(drawn, 100);
    const std::vector<double> fromPdf = DarkRunCentres(Page(sandbox.Path("a3.pdf")), 100);
    ASSERT_EQ(fromSvg.size(), fromPdf.size());
    for (size_t i = 0; i < fromSvg.size(); ++i)
        EXPECT_NEAR(fromSvg[i], fromPdf[i], 1.0) << i;
    EXPECT_LT(InkWidth(drawn, 2400, 0, 1754), 1) << "nothing below the legend";
}

TEST_F(RenderedSheetTest, NothingLeavesTheScoresRectangle)
{
    // Entry 2 of the last cell stands at y 831, below the 830-pixel picture: its circle is cut.
    CSongFileWriter w(4, 4);
    w.SetEntry(31, 2, 60);
    const std::string song = sandbox.Path("late.mwd");
    w.Write(song);
    ASSERT_EQ(Run({song, sandbox.Path("late.pdf")}), 0);
    ASSERT_EQ(Run({song, sandbox.Path("late.svg")}), 0);
    QImage fromSvg(1754, 2480, QImage::Format_RGB32);
    fromSvg.fill(Qt::white);
    QPainter painter(&fromSvg);
    QSvgRenderer(QString::fromStdString(sandbox.Path("late.svg"))).render(&painter, QRectF(0, 0, 1754, 2480));
    painter.end();
    const int lineX = static_cast<int>((6 * 32 - 10 + 0.5) * kA3Scale);
    for (const QImage& page : {Page(sandbox.Path("late.pdf")), fromSvg}) {
        EXPECT_GT(InkWidth(page, 1746, lineX - 12, lineX + 12), 10) << "the top of the circle is there";
        for (int y = 1751; y < 1756; ++y)
            EXPECT_LT(InkWidth(page, y, 0, 1754), 1) << "between the score and the names, row " << y;
    }
}

TEST_F(RenderedSheetTest, PaperOptionsAndFailures)
{
    const std::string song = Sample("twinkle.mwd");
    EXPECT_EQ(Run({"--paper", "A5", song, sandbox.Path("x.pdf")}), 2);
    EXPECT_EQ(Run({"--paper", "A4", song, sandbox.Path("x.svg")}), 2);
    EXPECT_EQ(Run({"--paper", "A4", song, sandbox.Path("x.png")}), 2);
    EXPECT_EQ(Run({"--paper"}), 2);
    EXPECT_EQ(sink.Count(), 0u);

    EXPECT_EQ(Run({song, sandbox.Path("no/such/folder/x.pdf")}), 1);
    EXPECT_EQ(sink.Take(), std::vector<std::string>{kPrintError});
    EXPECT_EQ(Run({song, sandbox.Path("no/such/folder/x.svg")}), 1);
    EXPECT_NE(err.str().find("cannot write"), std::string::npos);
}

TEST_F(PrintTest, TheWholePreviewFromTheContextMenuShowsThePagesTheWholePrintPrints)
{
    // At the harp's 11.5 mm the 25-string sheet takes more than one A4 page.
    const std::string folder = sandbox.ConfigHome() + "/PV";
    std::filesystem::create_directories(folder);
    const std::string ini = "[sheet]\nstring_spacing_mm=11.5\n";
    ASSERT_TRUE(WriteBytes(folder + "/sheet.ini", std::vector<uint8_t>(ini.begin(), ini.end())));
    Print(QPageSize::A4, QPageLayout::Portrait, Sample("sakura.mwd"), true);
    const int printed = PdfPages(g_pdfPath);
    ASSERT_GT(printed, 1);

    // With a printer the preview starts from it; without any, from the PDF 印刷 would save.
    for (PrinterLister lister : {&OnePrinter, &NoPrinters}) {
        SetPrinterLister(lister);
        CDovrelPlinvaraDlg window;
        window.LoadSong(Sample("sakura.mwd"));
        window.show();
        QString item, title;
        int shown = -1;
        // The menu first: its item is chosen as a user would, by the keyboard.
        WhenPopupOpens([&](QWidget* popup) {
            auto* menu = qobject_cast<QMenu*>(popup);
            ASSERT_NE(menu, nullptr);
            for (QAction* action : menu->actions())
                if (action->text().startsWith(QStringLiteral("全曲の印刷プレビュー"))) {
                    item = action->text();
                    menu->setActiveAction(action);
                }
            WhenModalOpens([&](QWidget* modal) {
                title = modal->windowTitle();
                auto* preview = qobject_cast<QPrintPreviewDialog*>(modal);
                auto* pages = modal->findChild<QPrintPreviewWidget*>();
                if (preview && pages) {
                    preview->printer()->setPageLayout(
                        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
                    pages->updatePreview();
                    shown = pages->pageCount();
                }
                modal->close();
            });
            QTest::keyClick(menu, Qt::Key_Return);
        });
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(50, 50), window.mapToGlobal(QPoint(50, 50)));
        QApplication::sendEvent(&window, &event);
        EXPECT_EQ(item, QStringLiteral("全曲の印刷プレビュー(&O)..."));
        EXPECT_EQ(title, QStringLiteral("印刷プレビュー"));
        EXPECT_EQ(shown, printed);
        EXPECT_EQ(sink.Count(), 0u) << "the preview warns of no paper and fails nothing";
    }
    EXPECT_FALSE(QFileInfo::exists(QDir::current().filePath(PdfFileNameFor(QStringLiteral("さくらさくら")))))
        << "the preview writes no file";
}

// A fresh install prints the whole song to play from at its harp's 11.5 mm, while 印刷 keeps
// the page fitted to the paper; a harp chosen in the settings reaches both at once.
TEST_F(PrintTest, AFreshInstallPrintsTheWholeSongAtItsHarpsSpacing)
{
    g_size = QPageSize::A3;
    g_orientation = QPageLayout::Portrait;
    CDovrelPlinvaraDlg window;
    EXPECT_EQ(window.Sheet().spacing, PaperSpacing::TenthsMm(115));
    window.LoadSong(Sample("jinglebells.mwd"));
    window.OnSystemCommand(MainCommand::kPrintWhole);
    ASSERT_GT(PdfPages(g_pdfPath), 1) << "48 measures at the harp's scale take several sheets";
    const std::vector<double> strings = DarkRunCentres(Page(g_pdfPath), 400);
    ASSERT_EQ(strings.size(), 25u);
    EXPECT_NEAR(Span(strings) / 24, 11.5 * kPixelsPerMm, 1.0);

    fs::remove(g_pdfPath);
    window.RunCommand(MainCommand::kPrint);
    ASSERT_EQ(PdfPages(g_pdfPath), 1) << "印刷 keeps the page fitted to the paper";
    EXPECT_GT(Span(DarkRunCentres(Page(g_pdfPath), 100)), 1500);

    WhenModalOpens([](QWidget* d) {
        QComboBox* harp = Control<QComboBox>(d, ConfigControl::kHarp);
        harp->setCurrentIndex(harp->findText(QString::fromUtf8(FindHarpPreset("37")->dialogText)));
        Click(Control(d, ConfigControl::kClose), QPoint(40, 15));
    });
    window.RunCommand(MainCommand::kSettings);
    EXPECT_EQ(sink.Count(), 0u);
    EXPECT_EQ(window.Score().frame.stringCount, 37) << "the screen";
    EXPECT_EQ(CScorePicture::Surface(0)->width(), 38 * window.Settings().lineSpacing);
    fs::remove(g_pdfPath);
    g_orientation = QPageLayout::Landscape; // as the print dialog offers it for 37 strings on A3
    window.OnSystemCommand(MainCommand::kPrintWhole);
    EXPECT_EQ(DarkRunCentres(Page(g_pdfPath), 400).size(), 37u) << "and the print, together";
}

// 全員の用紙を印刷 prints the whole song once for each player, in one job; the menu offers it
// only where another voice is drawn.
TEST_F(PrintTest, EveryPlayersSheetsGoInOneJob)
{
    g_size = QPageSize::A4;
    g_orientation = QPageLayout::Portrait;
    const std::string tune = sandbox.Path("duet.abc");
    const std::string text = "X:1\nT:Duet\nM:4/4\nL:1/4\nK:C\n\"C\"C D E F|\"G\"G A B c|\"F\"A G F E|\"C\"D E C2|]\n";
    WriteFileBytes(tune, std::vector<uint8_t>(text.begin(), text.end()));
    CDovrelPlinvaraDlg window;
    window.show();
    window.LoadSong(tune);
    const auto offered = [&] {
        bool on = false;
        WhenPopupOpens([&](QWidget* popup) {
            for (QAction* action : static_cast<QMenu*>(popup)->actions())
                if (action->text() == QStringLiteral("全員の用紙を印刷(&Y)..."))
                    on = action->isEnabled();
            popup->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(50, 50), window.mapToGlobal(QPoint(50, 50)));
        QApplication::sendEvent(&window, &event);
        return on;
    };
    EXPECT_FALSE(offered()) << "the melody alone has one player";
    WhenModalOpens([](QWidget* modal) {
        Control<QCheckBox>(modal, VoiceRolesControl::kFromChords)->setChecked(true);
        Control<QPushButton>(modal, VoiceRolesControl::kOk)->click();
    });
    window.ChooseVoices();
    ASSERT_FALSE(window.Score().layout.voices.empty());
    EXPECT_TRUE(offered());

    window.OnSystemCommand(MainCommand::kPrintWhole);
    const int group = PdfPages(g_pdfPath);
    ASSERT_GT(group, 0);
    fs::remove(g_pdfPath);
    window.OnSystemCommand(MainCommand::kPrintEveryone);
    EXPECT_EQ(PdfPages(g_pdfPath), 2 * group) << "the melody's player's sheets, then the accompaniment's";
    EXPECT_NE(PdfText(g_pdfPath, 1), PdfText(g_pdfPath, group + 1)) << "each names its player";
    EXPECT_NE(PdfText(g_pdfPath, group + 1).find("伴奏"), std::string::npos);
    EXPECT_EQ(sink.Count(), 0u);
}

// 奏者の用紙 chooses whose sheets 全曲を印刷 makes; the tune's sheet keeps the choice, and a
// tune opened afresh prints the group's sheet again.
TEST_F(PrintTest, APlayersSheetIsChosenAndKeptWithTheTunesSheet)
{
    g_size = QPageSize::A4;
    g_orientation = QPageLayout::Portrait;
    const std::string tune = sandbox.Path("duet.abc");
    const std::string text = "X:1\nT:Duet\nM:4/4\nL:1/4\nK:C\n\"C\"C D E F|\"G\"G A B c|\"F\"A G F E|\"C\"D E C2|]\n";
    WriteFileBytes(tune, std::vector<uint8_t>(text.begin(), text.end()));
    const auto choose = [&](CDovrelPlinvaraDlg& window, const QString& item) {
        QStringList items;
        WhenPopupOpens([&](QWidget* popup) {
            for (QAction* action : static_cast<QMenu*>(popup)->actions())
                if (action->menu() && action->menu()->objectName() == QStringLiteral("PlayerMenu"))
                    for (QAction* a : action->menu()->actions()) {
                        items << a->text();
                        if (a->text() == item)
                            a->trigger();
                    }
            popup->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(50, 50), window.mapToGlobal(QPoint(50, 50)));
        QApplication::sendEvent(&window, &event);
        return items;
    };
    {
        CDovrelPlinvaraDlg window;
        window.show();
        window.LoadSong(tune);
        WhenModalOpens([](QWidget* modal) {
            Control<QCheckBox>(modal, VoiceRolesControl::kFromChords)->setChecked(true);
            Control<QPushButton>(modal, VoiceRolesControl::kOk)->click();
        });
        window.ChooseVoices();
        window.OnSystemCommand(MainCommand::kPrintWhole);
        const std::string groupText = PdfText(g_pdfPath, 1);
        fs::remove(g_pdfPath);

        EXPECT_EQ(choose(window, QStringLiteral("伴奏 — コードから")),
                  (QStringList{"全員で一枚(&A)", "旋律 — V:1", "伴奏 — コードから", "全員の用紙(&E)", "", "ほかの声部を省く(&H)"}));
        window.OnSystemCommand(MainCommand::kPrintWhole);
        const std::string player = PdfText(g_pdfPath, 1);
        EXPECT_NE(player, groupText);
        EXPECT_NE(player.find("伴奏"), std::string::npos) << player;
        ASSERT_TRUE(window.SaveTuneSheet("伴奏の用紙"));
    }
    const std::vector<uint8_t> ini = ReadFileBytes(TuneSheetsPath(tune));
    EXPECT_NE(std::string(ini.begin(), ini.end()).find("\nplayers=acc\n"), std::string::npos);

    CDovrelPlinvaraDlg window;
    window.show();
    window.LoadSong(tune);
    fs::remove(g_pdfPath);
    window.OnSystemCommand(MainCommand::kPrintWhole);
    EXPECT_NE(PdfText(g_pdfPath, 1).find("伴奏"), std::string::npos) << "the default sheet brings the player";
    choose(window, QStringLiteral("ほかの声部を省く(&H)"));
    choose(window, QStringLiteral("全員で一枚(&A)"));
    ASSERT_TRUE(window.SaveTuneSheet("全員"));
    window.UseTuneSheet("伴奏の用紙");
    ASSERT_TRUE(window.SaveTuneSheet("伴奏の用紙"));
    const std::vector<uint8_t> again = ReadFileBytes(TuneSheetsPath(tune));
    const std::string againText(again.begin(), again.end());
    EXPECT_EQ(againText.find("players=acc:hide"), std::string::npos) << "the sheet chosen brought its own";
    EXPECT_NE(againText.find("\nplayers=acc\n"), std::string::npos) << againText;
    EXPECT_EQ(sink.Count(), 0u);
}

// A sheet at scale of more than 20 pages is asked about before anything goes to the printer.
// A tall picture at 20 mm makes one: 37 strings on A4, and many rows.
TEST_F(PrintTest, ManyPagesAreAskedAboutFirst)
{
    const std::string folder = sandbox.ConfigHome() + "/PV";
    fs::create_directories(folder);
    ConfigRecord r = DefaultConfigRecord();
    ApplyHarpPreset(*FindHarpPreset("37"), r);
    r.lineSpacing = 10;
    r.verticalSize = 2000;
    const ConfigImage image = EncodeConfigRecord(r);
    WriteFileBytes(folder + "/setup.ini", std::vector<uint8_t>(image.begin(), image.end()));
    const std::string ini = "[sheet]\nstring_spacing_mm=20\n";
    ASSERT_TRUE(WriteBytes(folder + "/sheet.ini", std::vector<uint8_t>(ini.begin(), ini.end())));

    sink.answer = false;
    Print(QPageSize::A4, QPageLayout::Portrait, Sample("jinglebells.mwd"), true);
    std::vector<std::string> said = sink.Take();
    ASSERT_EQ(said.size(), 1u);
    std::smatch asked;
    ASSERT_TRUE(std::regex_match(said[0], asked, std::regex("印刷するページが([0-9]+)枚になります。印刷しますか？")))
        << said[0];
    const int pages = std::stoi(asked[1]); // before `said` is read again
    EXPECT_FALSE(fs::exists(g_pdfPath)) << "declined: nothing printed";

    sink.answer = true;
    Print(QPageSize::A4, QPageLayout::Portrait, Sample("jinglebells.mwd"), true);
    said = sink.Take();
    EXPECT_EQ(said.size(), 1u);
    EXPECT_EQ(PdfPages(g_pdfPath), pages) << "the pages asked about are the pages printed";

    // A sheet that fits 20 pages is not asked about.
    const std::string fewer = "[sheet]\nstring_spacing_mm=5\n";
    ASSERT_TRUE(WriteBytes(folder + "/sheet.ini", std::vector<uint8_t>(fewer.begin(), fewer.end())));
    Print(QPageSize::A4, QPageLayout::Portrait, Sample("jinglebells.mwd"), true);
    EXPECT_EQ(sink.Count(), 0u);
    EXPECT_LE(PdfPages(g_pdfPath), 20);
}

// Without a printer the PDF goes on the sheet settings' paper, and the preview starts from it.
TEST_F(PrintTest, WithoutAPrinterTheSheetsPaperIsTaken)
{
    CPrintPicture::SetPrintDialogRunner(nullptr);
    SetPrinterLister(&NoPrinters);
    const std::string folder = sandbox.ConfigHome() + "/PV";
    fs::create_directories(folder);
    const std::string ini = "[sheet]\nstring_spacing_mm=11.5\npaper=B4\n";
    ASSERT_TRUE(WriteBytes(folder + "/sheet.ini", std::vector<uint8_t>(ini.begin(), ini.end())));
    const std::string saved = sandbox.Path("b4.pdf");
    CDovrelPlinvaraDlg window;
    window.LoadSong(Sample("sakura.mwd"));
    WhenModalOpens([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QString::fromStdString(saved));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    window.OnSystemCommand(MainCommand::kPrintWhole);
    EXPECT_EQ(sink.Count(), 0u);
    // JIS B4, 257 x 364 mm.
    EXPECT_NE(Capture("pdfinfo " + Quoted(saved)).find("Page size:       729 x 1032 pts"), std::string::npos);
    EXPECT_EQ(PreviewPrinter(QString(), PaperChoice::kLetter)->pageLayout().pageSize().id(), QPageSize::Letter);
    SetPrinterLister(&OnePrinter);
    EXPECT_EQ(PreviewPrinter(QString(), PaperChoice::kA4)->pageLayout().pageSize().id(), QPageSize::A4);
}

// A title or lyric holds what a score file gave it: the SVG stays well-formed and inert.
TEST_F(RenderedSheetTest, SvgTextsAreEscapedAndForbiddenCharactersLeftOut)
{
    const std::string abc = sandbox.Path("tune.abc");
    const std::string text = "X:1\nT:A&B <s>\x01\x1bz\nM:4/4\nL:1/4\nK:C\nC D E F|G A B c|\n";
    WriteFileBytes(abc, std::vector<uint8_t>(text.begin(), text.end()));
    ASSERT_EQ(Run({abc, sandbox.Path("tune.svg")}), 0) << err.str();
    const std::vector<uint8_t> bytes = ReadFileBytes(sandbox.Path("tune.svg"));
    const std::string svg(bytes.begin(), bytes.end());
    EXPECT_NE(svg.find("<title>A&amp;B &lt;s&gt;z</title>"), std::string::npos);
    EXPECT_NE(svg.find(">A&amp;B &lt;s&gt;z</text>"), std::string::npos) << "the legend's title";
    EXPECT_EQ(svg.find("<s>"), std::string::npos);
    EXPECT_EQ(std::count_if(svg.begin(), svg.end(), [](char c) { return c >= 0 && c < 0x20 && c != '\n' && c != '\t' && c != '\r'; }), 0);
    QXmlStreamReader xml(QByteArray(svg.data(), static_cast<qsizetype>(svg.size())));
    while (!xml.atEnd())
        xml.readNext();
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString() << " at line " << xml.lineNumber();
}
