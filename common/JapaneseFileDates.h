#pragma once
// Qt's file dialog writes its dates in the system locale's words ("7 Dec"), whatever the
// language of its texts; this puts them in Japanese like the rest of the dialog.

class QFileDialog;

// Shows the dialog's "date modified" column in the Japanese short form (2026/12/07 9:05), whole.
// Sorting stays the file model's own.
void ShowJapaneseFileDates(QFileDialog& dialog);
