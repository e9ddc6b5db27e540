#include "app/CDovrelPlinvaraDlg.h"
#include "app/RenderCommand.h"
#include "print/CPrintPicture.h"
#include "render/CScorePicture.h"
#include "song/CSongFileWriter.h"
#include "tests/support/TestSupport.h"
#include "tests/support/UiTestSupport.h"

#include <QPageLayout>
#include <QPrinter>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const std::string kPaperWarning = "プリンタで設定されている用紙サイズに誤りがあります。・";

std::string g_pdfPath;
QPageSize::PageSizeId g_size = QPageSize::A3;
QPageLayout::Orientation g_orientation = QPageLayout::Portrait;
int g_runs = 0;

std::unique_ptr<QPrinter> PdfPrinter(QWidget*)
{
    ++g_runs;
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(QString::fromStdString(g_pdfPath));
    printer->setResolution(150);
    printer->setPageLayout(QPageLayout(QPageSize(g_size), g_orientation, QMarginsF()));
    return printer;
}

std::unique_ptr<QPrinter> Cancelled(QWidget*)
{
    ++g_runs;
    return nullptr;
}

// Renders the first page of a PDF at the given resolution; a null image without poppler.
QImage RenderPage(const std::string& pdf, int dpi, const std::string& stem)
{
    const std::string command = "pdftoppm -r " + std::to_string(dpi) + " -png -singlefile '" + pdf + "' '" + stem + "'";
    if (std::system(command.c_str()) != 0)
        return QImage();
    return QImage(QString::fromStdString(stem + ".png"));
}

int PdfPages(const std::string& pdf)
{
    // Every page object names its type once.
    const std::vector<uint8_t> bytes = ReadFileBytes(pdf);
    const std::string text(bytes.begin(), bytes.end());
    int pages = 0;
    for (size_t at = text.find("/Type /Page"); at != std::string::npos; at = text.find("/Type /Page", at + 1))
        pages += text.compare(at, 12, "/Type /Pages") != 0;
    return pages;
}

} // namespace

class PrintTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_pdfPath = sandbox.Path("out.pdf");
        g_runs = 0;
        previous = CPrintPicture::SetPrintDialogRunner(&PdfPrinter);
    }
    void TearDown() override { CPrintPicture::SetPrintDialogRunner(previous); }
    void Print(QPageSize::PageSizeId size, QPageLayout::Orientation orientation)
    {
        g_size = size;
        g_orientation = orientation;
        CDovrelPlinvaraDlg window;
        window.RunCommand(MainCommand::kPrint);
    }

    SandboxDir sandbox;
    RecordingSink sink;
    CPrintPicture::PrintDialogRunner previous = nullptr;
};

TEST_F(PrintTest, A3PortraitPrintsOnePageWithoutWarning)
{
    Print(QPageSize::A3, QPageLayout::Portrait);
    EXPECT_EQ(sink.Count(), 0u);
    ASSERT_TRUE(fs::exists(g_pdfPath));
    EXPECT_EQ(PdfPages(g_pdfPath), 1);
    const QImage page = RenderPage(g_pdfPath, 50, sandbox.Path("page"));
    if (page.isNull())
        GTEST_SKIP() << "pdftoppm is not available";
    // A3 at 50 dpi is 585 x 827; the picture reaches the paper width: 832 px become 585,
    // so string 0 (x 22) lies near 15 and string 24 (x 790) near 555.
    EXPECT_NEAR(page.width(), 585, 2);
    for (int x : {15, 555}) {
        bool dark = false;
        for (int dx = -2; dx <= 2; ++dx)
            dark = dark || qGray(page.pixel(x + dx, 300)) < 160;
        EXPECT_TRUE(dark) << "a string line near x " << x;
    }
    EXPECT_GT(qGray(page.pixel(585 / 2, 760)), 200) << "below the picture the page is empty";
}

TEST_F(PrintTest, WrongPaperOrOrientationWarnsOnceAndStillPrints)
{
    for (auto [size, orientation] : {std::pair{QPageSize::A4, QPageLayout::Portrait},
                                     std::pair{QPageSize::A3, QPageLayout::Landscape}}) {
        fs::remove(g_pdfPath);
        Print(size, orientation);
        EXPECT_EQ(sink.Take(), std::vector<std::string>{kPaperWarning});
        EXPECT_TRUE(fs::exists(g_pdfPath));
        EXPECT_EQ(PdfPages(g_pdfPath), 1);
    }
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

TEST_F(PrintTest, RealPrintDialogCancelledFromATimer)
{
    CPrintPicture::SetPrintDialogRunner(nullptr);
    CDovrelPlinvaraDlg window;
    window.show();
    bool sawDialog = false;
    WhenModalOpens([&](QWidget* modal) {
        sawDialog = modal->objectName() == QStringLiteral("PrintDialog");
        modal->close();
    });
    window.RunCommand(MainCommand::kPrint);
    EXPECT_TRUE(sawDialog);
    EXPECT_EQ(sink.Count(), 0u);
}

TEST_F(PrintTest, EmptyListEndsTheDocumentAndAFailedStartIsReported)
{
    CPrintPicture job;
    DeviceMode mode;
    g_size = QPageSize::A4;
    g_orientation = QPageLayout::Portrait;
    ASSERT_TRUE(job.UsePrinter(PdfPrinter(nullptr), mode));
    EXPECT_EQ(mode.paperSize, PaperSize::kA4);
    EXPECT_EQ(mode.paperWidth, 2100);
    EXPECT_EQ(mode.paperLength, 2970);
    EXPECT_EQ(sink.Count(), 0u) << "A4 is what a new job expects";
    ASSERT_TRUE(job.StartJob(mode));
    job.PrintItems(mode, 0, 0, 1.0);
    job.EndJob();
    job.ReleasePrinter();
    EXPECT_EQ(PdfPages(g_pdfPath), 1);
    EXPECT_EQ(sink.Count(), 0u);

    CPrintPicture never;
    never.EndJob(); // no document was started: the page cannot be ended
    EXPECT_EQ(sink.Take(), std::vector<std::string>{"CPrintPicture::ErrorMsg"});
}

TEST_F(PrintTest, RendererWritesTheA3Page)
{
    CSongFileWriter w(4, 4);
    w.AddNote(0, 60, 4);
    const std::string song = sandbox.Path("song.mwd");
    w.Write(song);
    std::ostringstream out, err;
    EXPECT_EQ(RunRenderCommand({song, sandbox.Path("render.pdf")}, out, err), 0);
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(sink.Count(), 0u);
    EXPECT_EQ(PdfPages(sandbox.Path("render.pdf")), 1);
}
