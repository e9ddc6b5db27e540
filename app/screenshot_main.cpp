// Makes the README's screenshot: the main window with a song loaded, on the offscreen
// platform. Usage: dovrelplinvara-screenshot SONG OUTPUT.png [main | library | settings | startup]

#include "app/CDovrelPlinvaraApp.h"
#include "app/CDovrelPlinvaraDlg.h"
#include "common/Messages.h"
#include "library/CArchiveDlg.h"
#include "settings/CConfigDlg.h"
#include "settings/ConfigRecord.h"
#include "settings/SheetSettings.h"

#include <QTimer>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    CDovrelPlinvaraApp app(argc, argv);
    StderrMessageSink sink;
    SetMessageSink(&sink);
    const QString out = QString::fromLocal8Bit(argv[2]);
    const char* which = argc > 3 ? argv[3] : "main";
    bool ok = false;
    if (!std::strcmp(which, "settings")) {
        ConfigRecord record = DefaultConfigRecord();
        SheetSettings sheet;
        CConfigDlg dialog;
        dialog.SetSettings(&record);
        dialog.SetSheetSettings(&sheet);
        QTimer::singleShot(100, &dialog, [&] { ok = dialog.grab().save(out); dialog.reject(); });
        dialog.exec();
    } else if (!std::strcmp(which, "library")) {
        CArchiveDlg dialog;
        dialog.SetBaseFolder(argv[1]);
        QTimer::singleShot(400, &dialog, [&] { ok = dialog.grab().save(out); dialog.reject(); });
        dialog.exec();
    } else if (!std::strcmp(which, "startup")) {
        // For the start-up benchmark: the first paint of the main window ends the run.
        CDovrelPlinvaraDlg window;
        window.show();
        QTimer::singleShot(0, &window, [&] {
            window.repaint();
            ok = true;
            app.quit();
        });
        app.exec();
    } else {
        CDovrelPlinvaraDlg window;
        window.LoadSong(argv[1]);
        window.show();
        app.processEvents();
        ok = window.grab().save(out);
    }
    return ok ? 0 : 1;
}
