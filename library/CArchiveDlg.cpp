#include "library/CArchiveDlg.h"

#include "common/FileServices.h"
#include "common/Messages.h"
#include "common/DialogPalette.h"
#include "common/QtText.h"
#include "controls/COffScreenControl.h"
#include "controls/CSubDialogButtonPicture.h"
#include "controls/DialogUnits.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QListWidget>
#include <algorithm>

namespace {

CArchiveDlg* g_archiveDialog = nullptr;

void OnButtonReleased(int) {}

const char* const kCaption = QT_TRANSLATE_NOOP("CArchiveDlg", "ライブラリ");

struct FameFilter {
    const char* text;
    int threshold;
};

// The load button's left edge and the buttons' top, in the dialog's client area.
constexpr int kLoadButtonLeft = 150;
constexpr int kButtonTop = 340;

const FameFilter kFilters[] = {
    {QT_TRANSLATE_NOOP("CArchiveDlg", "全て表示"), 0},
    {QT_TRANSLATE_NOOP("CArchiveDlg", "知名度低いものも表示"), 40},
    {QT_TRANSLATE_NOOP("CArchiveDlg", "有名曲のみ表示"), 70},
    {QT_TRANSLATE_NOOP("CArchiveDlg", "超有名曲のみ表示"), 100},
};

} // namespace

int CArchiveDlg::InitialFame()
{
    return kFilters[kInitialFilter].threshold;
}

std::string CArchiveDlg::FilterListing(int fame)
{
    const FameFilter* listing = &kFilters[0];
    for (const FameFilter& f : kFilters)
        if (f.threshold <= fame && f.threshold >= listing->threshold)
            listing = &f;
    return tr(listing->text).toStdString();
}

std::string CArchiveDlg::AddedText(const std::string& title, const std::string& folder, int fame)
{
    const QString added = tr("「%1」をライブラリ（%2）に追加しました。")
                              .arg(QString::fromStdString(title), QString::fromStdString(folder));
    const QString listing = QString::fromStdString(FilterListing(fame));
    if (fame >= InitialFame())
        return (added + tr("ライブラリを開くと「%1」の一覧に表示されます。").arg(listing)).toStdString();
    return (added + tr("知名度が%1のため、ライブラリで「%2」を選ぶと一覧に表示されます。").arg(fame).arg(listing))
        .toStdString();
}

CArchiveDlg::CArchiveDlg(QWidget* parent) : QDialog(parent)
{
    using namespace ArchiveControl;
    setObjectName(QString::number(kResourceId));
    setWindowTitle(tr(kCaption));
    setFont(DialogFont());
    UsePillBackground(this);
    // The template is narrower than its cancel button reaches; widen it to show the button.
    setFixedSize(std::max(DluToPixels(202), 338 + 12), DluToPixels(251));

    songList = new QListWidget(this);
    songList->setObjectName(QString::number(kSongList));
    songList->setGeometry(DluRect(7, 7, 188, 208));
    songList->setSortingEnabled(false);
    songList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    fameFilter = new QComboBox(this);
    fameFilter->setObjectName(QString::number(kFameFilter));
    fameFilter->setGeometry(DluRect(7, 223, 67, 14));
    loadControl = new COffScreenControl(this, kLoad, true);
    cancelControl = new COffScreenControl(this, kCancel, true);

    connect(songList, &QListWidget::itemDoubleClicked, this, [this] { LoadAction(); });
}

CArchiveDlg::~CArchiveDlg()
{
    loader.reset(); // stops and joins the worker before the tables go
    if (buttons)
        buttons->DestroyAll();
    if (g_archiveDialog == this)
        g_archiveDialog = nullptr;
}

int CArchiveDlg::exec()
{
    Initialise();
    return QDialog::exec();
}

void CArchiveDlg::done(int result)
{
    if (loader)
        loader->Stop();
    QDialog::done(result);
}

// The template's 67 units hold the longest choice only in the font it was made for. The box takes
// the width its choices need in the font in use: beside the buttons when that leaves room, else
// on a row of its own under the list, which gives up that height.
void CArchiveDlg::PlaceFameFilter()
{
    const QRect list = DluRect(7, 7, 188, 208), box = DluRect(7, 223, 67, 14);
    const int needed = fameFilter->sizeHint().width(), gap = DluToPixels(4);
    if (box.left() + needed + gap <= kLoadButtonLeft) {
        songList->setGeometry(list);
        fameFilter->setGeometry(box.left(), box.top(), std::max(needed, box.width()), box.height());
        return;
    }
    const int rowTop = kButtonTop - gap - box.height();
    songList->setGeometry(list.left(), list.top(), list.width(), rowTop - gap - list.top());
    fameFilter->setGeometry(list.left(), rowTop, std::min(needed, list.width()), box.height());
}

void CArchiveDlg::Initialise()
{
    g_archiveDialog = this;
    resultPath.clear();
    buttons = std::make_unique<CSubDialogButtonPicture>(&CArchiveDlg::OnButtonPressed, &OnButtonReleased, loadControl,
                                                        PictureRect{kLoadButtonLeft, kButtonTop, 238, 370}, tr("読み込み"),
                                                        ButtonImage::kNormal, ButtonImage::kPressed, -1);
    loadControl->SetIndex(0);
    buttons->AddButton(cancelControl, PictureRect{250, kButtonTop, 338, 370}, tr("取り消し"), ButtonImage::kNormal,
                       ButtonImage::kPressed, -1);
    cancelControl->SetIndex(1);

    {
        const QSignalBlocker quiet(fameFilter);
        fameFilter->clear();
        for (const FameFilter& f : kFilters)
            fameFilter->addItem(tr(f.text), f.threshold);
        fameFilter->setCurrentIndex(kInitialFilter);
    }
    PlaceFameFilter();
    fameThreshold = kFilters[kInitialFilter].threshold;
    connect(fameFilter, &QComboBox::currentIndexChanged, this, &CArchiveDlg::Refilter, Qt::UniqueConnection);
    buttons->ShowAll();

    filled = false;
    loader = std::make_unique<LibraryLoader>(
        LibraryFolder(), [this](LibrarySong song) { OnSong(std::move(song)); },
        [this](bool tooMany) { OnFilled(tooMany); });
}

std::string CArchiveDlg::LibraryFolder() const
{
    return JoinPath(baseFolder, "Archive");
}

void CArchiveDlg::OnSong(LibrarySong song)
{
    received.push_back(std::move(song));
    if (received.back().fame >= fameThreshold)
        Append(received.back());
}

void CArchiveDlg::Append(const LibrarySong& song)
{
    auto* item = new QListWidgetItem(FromCp932(song.title));
    item->setData(Qt::UserRole, 0);
    songList->addItem(item);
    entries.push_back(song.fileName);
    setWindowTitle(QStringLiteral("%1 %2").arg(tr(kCaption)).arg(entries.size()));
}

void CArchiveDlg::OnFilled(bool tooMany)
{
    filled = true;
    if (tooMany)
        ShowMessage("err");
    setWindowTitle(tr(kCaption));
}

void CArchiveDlg::Refilter()
{
    fameThreshold = fameFilter->currentData().toInt();
    songList->clear();
    entries.clear();
    // Over the songs received so far; the folder is not scanned again.
    for (const LibrarySong& song : received)
        if (song.fame >= fameThreshold)
            Append(song);
    if (filled)
        setWindowTitle(tr(kCaption));
}

void CArchiveDlg::LoadAction()
{
    const int row = songList->currentRow();
    if (row < 0 || row >= static_cast<int>(entries.size()) || !songList->currentItem()->isSelected()) {
        ShowMessage("err");
        return;
    }
    resultPath = JoinPath(LibraryFolder(), entries[static_cast<size_t>(row)]);
    accept();
}

void CArchiveDlg::OnButtonPressed(int slot)
{
    if (!g_archiveDialog)
        return;
    if (slot == 0) {
        g_archiveDialog->LoadAction();
    } else if (slot == 1) {
        g_archiveDialog->resultPath.clear();
        g_archiveDialog->accept();
    }
}

void CArchiveDlg::keyPressEvent(QKeyEvent* event)
{
    // Enter ends the dialog without choosing a song.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        resultPath.clear();
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
