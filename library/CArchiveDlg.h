#pragma once
// The song library: lists the songs of the "Archive" folder by title, filtered by fame.

#include "library/LibraryLoader.h"

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

class COffScreenControl;
class CSubDialogButtonPicture;
class QComboBox;
class QListWidget;

namespace ArchiveControl {
constexpr int kLoad = 1001, kCancel = 1002, kFameFilter = 1014, kSongList = 1062;
} // namespace ArchiveControl

class CArchiveDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kResourceId = 130;
    static constexpr int kInitialFilter = 3;

    // The least fame a song needs to be listed when the library opens.
    static int InitialFame();
    // The filter that lists a song of `fame` and the fewest others (UTF-8).
    static std::string FilterListing(int fame);
    // What the player is told of a song added to `folder` under `title` (UTF-8): where the
    // library lists it.
    static std::string AddedText(const std::string& title, const std::string& folder, int fame);

    explicit CArchiveDlg(QWidget* parent = nullptr);
    ~CArchiveDlg() override;

    void SetBaseFolder(const std::string& folder) { baseFolder = folder; }
    int exec() override;
    // Stops the scan before the dialog hides, so it never runs on into what follows.
    void done(int result) override;
    bool IsScanning() const { return loader && loader->IsRunning(); }
    const std::string& ResultPath() const { return resultPath; }
    // Whether the worker has delivered every song.
    bool IsFilled() const { return filled; }
    int EntryCount() const { return static_cast<int>(entries.size()); }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Initialise();
    void PlaceFameFilter();
    void OnSong(LibrarySong song);
    void OnFilled(bool tooMany);
    void Refilter();
    void Append(const LibrarySong& song);
    void LoadAction();
    static void OnButtonPressed(int slot);
    std::string LibraryFolder() const;

    std::string baseFolder;
    std::vector<LibrarySong> received;  // every song the worker has delivered
    std::vector<std::string> entries;   // file name of each list line
    int fameThreshold = 100;
    std::unique_ptr<CSubDialogButtonPicture> buttons;
    std::string resultPath;
    COffScreenControl* cancelControl = nullptr;
    COffScreenControl* loadControl = nullptr;
    QComboBox* fameFilter = nullptr;
    QListWidget* songList = nullptr;
    bool filled = false;
    std::unique_ptr<LibraryLoader> loader;
};
