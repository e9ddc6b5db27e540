#pragma once
// The application object: runs the main window modally; the process ends when it closes.

#include <QApplication>

class CDovrelPlinvaraApp : public QApplication {
    Q_OBJECT
public:
    CDovrelPlinvaraApp(int& argc, char** argv);
    // Runs the main window and returns the process's exit code.
    int InitInstance();
};

// What both programs do before their application object exists: in release builds Qt's own
// diagnostics are dropped, so standard error and the message boxes carry only the program's
// messages. A write past the file-size limit fails like one to a full disk, so it is reported
// and the old file kept, instead of the signal ending the program mid-write.
void PrepareProcess();

// Started in the installed samples' folder (as the desktop entry starts it), the program moves
// to the player's own base folder, whose library gets the samples at the first start.
void UseOwnLibraryWhenInstalled();

// Runs the main window modally; with exactly one argument after the program's name, that
// file is loaded once the window shows its empty score.
int RunMainWindow(const QStringList& arguments);

// Makes the compiled-in bitmaps and icon reachable; the resources live in a static library.
void InitialiseResources();
