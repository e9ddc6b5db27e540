#pragma once
// The printer side: printer choice, the paper check, a one-page job and the pictures on it.

#include "print/PageArithmetic.h"

#include <QPainter>
#include <array>
#include <memory>

class QImage;
class QPrinter;
class QWidget;

// The printer settings the job reads, as the device mode tells them.
DeviceMode DeviceModeOf(const QPrinter& printer);

class CPrintPicture {
public:
    static constexpr int kMaxItems = 64;

    CPrintPicture();
    ~CPrintPicture();

    // Shows the print dialog; false when it was cancelled or the printer is unusable. A
    // printer not set to portrait paper of the expected size is only warned about.
    bool ChoosePrinter(DeviceMode& mode, QWidget* owner);
    // Takes a printer chosen without a dialog, as the command-line tool does.
    bool UsePrinter(std::unique_ptr<QPrinter> chosen, DeviceMode& mode);
    bool StartJob(const DeviceMode& mode);
    void AddItem(const QImage* source, int height, int width, int y, int x);
    void PrintItems(const DeviceMode& mode, int width, int height, double fraction);
    void ClearItems();
    void EndJob();
    void ReleasePrinter();
    static void ShowPrintError(int code);

    // The dialog step, replaceable so that tests can answer it: returns the chosen printer,
    // or nullptr when the user cancelled.
    using PrintDialogRunner = std::unique_ptr<QPrinter> (*)(QWidget* owner);
    static PrintDialogRunner SetPrintDialogRunner(PrintDialogRunner runner);

    int expectedPaperSize = PaperSize::kA4;
    int Count() const { return count; }

private:
    struct Item {
        const QImage* source = nullptr;
        int height = 0, width = 0, y = 0, x = 0;
    };
    std::array<Item, kMaxItems> items{};
    int count = 0;
    std::unique_ptr<QPrinter> printer;
    QPainter painter;
};
