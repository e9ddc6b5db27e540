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

// Makes the compiled-in bitmaps and icon reachable; the resources live in a static library.
void InitialiseResources();
