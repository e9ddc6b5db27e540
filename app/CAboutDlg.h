#pragma once
// The version information dialog.

#include <QDialog>

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kResourceId = 100;
    explicit CAboutDlg(QWidget* parent = nullptr);
};
