// The program in English and German: every text of the window, its menus and dialogs carries
// no Japanese and fits its widget, the sheet's legend follows the renderer's --language, and a
// language chosen in the settings dialog is kept and shown at once.

#include "app/CAboutDlg.h"
#include "app/CDovrelPlinvaraDlg.h"
#include "app/PracticePanel.h"
#include "app/RenderCommand.h"
#include "common/FileServices.h"
#include "common/Messages.h"
#include "common/QtTranslations.h"
#include "controls/CButtonPicture.h"
#include "controls/CButtonFamily.h"
#include "import/CVoiceRolesDlg.h"
#include "library/CArchiveDlg.h"
#include "settings/CConfigDlg.h"
#include "settings/LanguageFile.h"
#include "song/CSongFileWriter.h"
#include "tests/support/PdfProbe.h"
#include "tests/support/TestSupport.h"
#include "tests/support/UiTestSupport.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

// Kana, CJK ideographs and punctuation, full- and half-width forms.
bool HasJapanese(const QString& text)
{
    static const QRegularExpression japanese(QStringLiteral("[\\x{3000}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
    return japanese.match(text).hasMatch();
}

// Every shown text of the widget and its children, with what cuts one off at its size.
QStringList Problems(QWidget* top)
{
    QStringList problems;
    const auto check = [&](const QWidget* w, const QString& text) {
        if (HasJapanese(text))
            problems << QStringLiteral("Japanese: %1 \"%2\"").arg(w->metaObject()->className(), text);
    };
    check(top, top->windowTitle());
    for (QWidget* w : top->findChildren<QWidget*>()) {
        if (auto* label = qobject_cast<QLabel*>(w)) {
            check(w, label->text());
            const int need = label->fontMetrics().horizontalAdvance(label->text());
            if (!label->wordWrap() && label->isVisibleTo(top) && need > label->contentsRect().width())
                problems << QStringLiteral("cut: \"%1\" needs %2, has %3").arg(label->text()).arg(need).arg(label->contentsRect().width());
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            check(w, button->text());
            // A check box's indicator and its gap take room of their own.
            const int indicator =
                qobject_cast<QCheckBox*>(w)
                    ? w->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w) +
                          w->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w)
                    : 8;
            const int need = button->fontMetrics().horizontalAdvance(QString(button->text()).remove(QLatin1Char('&'))) + indicator;
            if (!button->text().isEmpty() && button->isVisibleTo(top) && need > button->contentsRect().width())
                problems << QStringLiteral("cut: \"%1\" needs %2, has %3").arg(button->text()).arg(need).arg(button->contentsRect().width());
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            for (int i = 0; i < combo->count(); ++i)
                if (combo->itemText(i) != QStringLiteral("日本語")) // each language's own name
                    check(w, combo->itemText(i));
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            check(w, group->title());
        }
    }
    return problems;
}

// Every item of the menu and its submenus, with the accelerators that occur twice in one menu.
QStringList MenuProblems(const QMenu& menu)
{
    QStringList problems;
    QStringList keys;
    for (QAction* action : menu.actions()) {
        if (action->isSeparator())
            continue;
        if (HasJapanese(action->text()))
            problems << QStringLiteral("Japanese: \"%1\"").arg(action->text());
        const qsizetype amp = action->text().indexOf(QLatin1Char('&'));
        if (amp >= 0 && amp + 1 < action->text().size()) {
            const QString key = action->text().mid(amp + 1, 1).toLower();
            if (keys.contains(key))
                problems << QStringLiteral("accelerator twice: \"%1\"").arg(action->text());
            keys << key;
        }
        if (action->menu())
            problems << MenuProblems(*action->menu());
    }
    return problems;
}

std::string Listed(const QStringList& texts)
{
    return texts.join(QStringLiteral("\n")).toStdString();
}

QStringList ContextMenuProblems(CDovrelPlinvaraDlg& window)
{
    QStringList problems;
    WhenPopupOpens([&](QWidget* popup) {
        if (auto* menu = qobject_cast<QMenu*>(popup))
            problems = MenuProblems(*menu);
        popup->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(50, 50), window.mapToGlobal(QPoint(50, 50)));
    QApplication::sendEvent(&window, &event);
    return problems;
}

// Every item's text of the context menu and its submenus.
QStringList ContextMenuTexts(CDovrelPlinvaraDlg& window)
{
    QStringList texts;
    const std::function<void(const QMenu&)> walk = [&](const QMenu& menu) {
        for (QAction* action : menu.actions()) {
            texts << action->text();
            if (action->menu())
                walk(*action->menu());
        }
    };
    WhenPopupOpens([&](QWidget* popup) {
        if (auto* menu = qobject_cast<QMenu*>(popup))
            walk(*menu);
        popup->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(50, 50), window.mapToGlobal(QPoint(50, 50)));
    QApplication::sendEvent(&window, &event);
    return texts;
}

QString FirstContextItem(CDovrelPlinvaraDlg& window)
{
    QString text;
    WhenPopupOpens([&](QWidget* popup) {
        if (auto* menu = qobject_cast<QMenu*>(popup))
            text = menu->actions().value(0) ? menu->actions().value(0)->text() : QString();
        popup->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(50, 50), window.mapToGlobal(QPoint(50, 50)));
    QApplication::sendEvent(&window, &event);
    return text;
}

} // namespace

class LanguageTest : public ::testing::Test {
protected:
    ~LanguageTest() override { InstallLanguage(Language::kJapanese); }

    std::string WriteSong(const std::string& name)
    {
        CSongFileWriter w(8, 4);
        for (int m = 0; m < 8; ++m)
            w.AddNote(m * 16, 60 + m % 8, 4);
        const std::string path = sandbox.Path(name);
        w.Write(path);
        return path;
    }

    SandboxDir sandbox;
    RecordingSink sink;
};

TEST_F(LanguageTest, EveryTextOfTheWindowItsMenusAndDialogsIsTranslatedAndFits)
{
    for (const Language language : {Language::kEnglish, Language::kGerman}) {
        SCOPED_TRACE(LanguageCode(language));
        // The window takes the language kept beside its settings.
        ASSERT_TRUE(WriteLanguageFile(JoinPath(GetSettingsFolder("PV"), kLanguageFileName), language));
        CDovrelPlinvaraDlg window;
        ASSERT_EQ(InstalledLanguage(), language);
        window.show();
        EXPECT_EQ(Listed(Problems(&window)), "");
        EXPECT_EQ(Listed(ContextMenuProblems(window)), "");
        // The picture buttons draw their captions within the pill.
        for (int slot = 0; slot < CButtonPicture::Count(); ++slot) {
            const QString caption = CButtonPicture::Caption(slot);
            EXPECT_FALSE(HasJapanese(caption)) << caption.toStdString();
            EXPECT_LE(QFontMetrics(ButtonCaptionFont()).horizontalAdvance(caption), 86) << caption.toStdString();
        }

        ConfigRecord record = DefaultConfigRecord();
        SheetSettings sheet;
        Language chosen = language;
        CConfigDlg settings;
        settings.SetSettings(&record);
        settings.SetSheetSettings(&sheet);
        settings.SetLanguage(&chosen);
        QStringList settingsProblems;
        WhenModalOpens([&](QWidget* d) {
            settingsProblems = Problems(d);
            d->close();
        });
        settings.exec();
        EXPECT_EQ(Listed(settingsProblems), "");

        for (QDialog* dialog : std::initializer_list<QDialog*>{new CArchiveDlg(nullptr), new CAboutDlg(nullptr)}) {
            QStringList problems;
            WhenModalOpens([&](QWidget* d) {
                problems = Problems(d);
                d->close();
            });
            dialog->exec();
            EXPECT_EQ(Listed(problems), "") << dialog->metaObject()->className();
            delete dialog;
        }
        PracticePanel panel(window);
        EXPECT_EQ(Listed(Problems(&panel)), "");
    }
}

// A tune of two voices and chord names opens the parts dialog and fills the key and players'
// menus, whose texts are made from the tune: they too speak the language.
TEST_F(LanguageTest, ATunesPartsDialogAndMenusSpeakTheLanguage)
{
    const std::string abc = sandbox.Path("duet.abc");
    std::ofstream(abc) << "X:1\nT:Duet\nM:4/4\nL:1/4\nK:G\nV:1\n\"G\"GABc|\"D7\"dcBA|\"G\"G4|\nV:2\nDEFG|ABcA|B4|\n";
    for (const auto& [language, key, notes] : {std::tuple{Language::kEnglish, "G major (G)", " notes, "},
                                               std::tuple{Language::kGerman, "G-Dur (G)", " Noten, "}}) {
        SCOPED_TRACE(LanguageCode(language));
        ASSERT_TRUE(WriteLanguageFile(JoinPath(GetSettingsFolder("PV"), kLanguageFileName), language));
        CDovrelPlinvaraDlg window;
        window.show();
        QStringList dialogProblems;
        QStringList names;
        WhenModalOpens([&](QWidget* modal) {
            dialogProblems = Problems(modal);
            for (const QLabel* label : modal->findChildren<QLabel*>())
                if (label->buddy() != nullptr)
                    names << label->text();
            Control<QComboBox>(modal, VoiceRolesControl::kFirstRole + 1)->setCurrentIndex(1);
            Control<QPushButton>(modal, VoiceRolesControl::kOk)->click();
        });
        window.LoadSong(abc);
        EXPECT_EQ(Listed(dialogProblems), "");
        ASSERT_EQ(names.size(), 2);
        EXPECT_TRUE(names[1].contains(QString::fromUtf8(notes))) << names[1].toStdString();
        EXPECT_EQ(Listed(ContextMenuProblems(window)), "");
        const QStringList texts = ContextMenuTexts(window);
        EXPECT_TRUE(texts.filter(QString::fromUtf8(key)).size() > 0) << Listed(texts);
    }
}

TEST_F(LanguageTest, TheRenderersLanguageGivesTheLegendItsWords)
{
    const std::string song = WriteSong("song.mwd");
    const std::string pdf = sandbox.Path("de.pdf");
    std::ostringstream out, err;
    ASSERT_EQ(RunRenderCommand({"--language", "de", "--spacing", "11.5", song, pdf}, out, err), 0) << err.str();
    const std::string german = PdfText(pdf, 1);
    EXPECT_NE(german.find("Tonart"), std::string::npos) << german;
    EXPECT_NE(german.find("Schläge pro Takt"), std::string::npos) << german;
    EXPECT_EQ(german.find("調"), std::string::npos) << german;
    // Without the option the legend stays Japanese, in the same process.
    ASSERT_EQ(RunRenderCommand({"--spacing", "11.5", song, pdf}, out, err), 0) << err.str();
    EXPECT_NE(PdfText(pdf, 1).find("調"), std::string::npos);

    // A player's longer German facts wrap between their items rather than being cut.
    const std::string duet = sandbox.Path("duet.abc");
    std::ofstream(duet) << "X:1\nT:Duet\nM:4/4\nL:1/4\nK:G\nV:1 name=\"Sopran\"\nGABc|d4|\nV:2 name=\"Alt\"\nDEFG|B4|\n";
    ASSERT_EQ(RunRenderCommand({"--language", "de", "--harp", "25", "--spacing", "8", "--measures", "all", "--voices",
                                "melody=1,2=2", "--player", "2", duet, pdf},
                               out, err),
              0)
        << err.str();
    const std::string player = PdfText(pdf, 1);
    for (const char* item : {"2. Stimme — Alt", "Tempo 120", "Takte 1–2", "Gezeigt:"})
        EXPECT_NE(player.find(item), std::string::npos) << item << "\n" << player;
    EXPECT_EQ(player.find("…"), std::string::npos) << player;

    std::ostringstream bad, badErr;
    EXPECT_EQ(RunRenderCommand({"--language", "fr", song}, bad, badErr), 2);
    EXPECT_EQ(badErr.str(), "dovrelplinvara-render: --language needs ja, en or de (--help tells the usage)\n");
    std::ostringstream help, helpErr;
    EXPECT_EQ(RunRenderCommand({"--language", "de", "--help"}, help, helpErr), 0);
    EXPECT_EQ(help.str().rfind("Aufruf: dovrelplinvara-render", 0), 0u) << help.str().substr(0, 80);
    EXPECT_NE(help.str().find("--language"), std::string::npos);
}

TEST_F(LanguageTest, TheSettingsDialogsChoiceRetranslatesTheWindowAtOnceAndIsKept)
{
    const std::string file = sandbox.ConfigHome() + "/PV/" + kLanguageFileName;
    {
        CDovrelPlinvaraDlg window;
        window.show();
        EXPECT_EQ(FirstContextItem(window), QStringLiteral("再生(&P)"));
        WhenModalOpens([](QWidget* d) {
            auto* combo = Control<QComboBox>(d, ConfigControl::kLanguage);
            combo->setCurrentIndex(combo->findText(QStringLiteral("Deutsch")));
            Click(Control(d, ConfigControl::kClose), QPoint(40, 15));
        });
        window.RunCommand(MainCommand::kSettings);
        EXPECT_EQ(FirstContextItem(window), QStringLiteral("Abs&pielen"));
        EXPECT_EQ(Control<QLabel>(&window, MainControl::kStartLabel)->text(), QStringLiteral("Erster Takt"));
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Notenblätter für die Tischharfe"));
    }
    EXPECT_EQ(ReadLanguageFile(file), Language::kGerman);
    InstallLanguage(Language::kJapanese);
    {
        CDovrelPlinvaraDlg window; // starts in the kept language
        EXPECT_EQ(FirstContextItem(window), QStringLiteral("Abs&pielen"));
    }

    // A missing, unknown or oversized choice means Japanese.
    for (const std::string& text : {std::string("[interface]\nlanguage=fr\n"), std::string("language=de\n"),
                                    "[interface]\nlanguage=de\n" + std::string(5000, ';')}) {
        std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
        EXPECT_EQ(ReadLanguageFile(file), Language::kJapanese) << text.substr(0, 30);
    }
    EXPECT_EQ(ReadLanguageFile(sandbox.Path("none.ini")), Language::kJapanese);
    ASSERT_TRUE(WriteLanguageFile(file, Language::kEnglish));
    EXPECT_EQ(ReadLanguageFile(file), Language::kEnglish);
}

TEST_F(LanguageTest, AMessageIsTranslatedWithItsCodeKept)
{
    const std::pair<Language, std::string> expected[] = {
        {Language::kJapanese, "IMPT00000004 指定されたパートがありません。"},
        {Language::kEnglish, "IMPT00000004 The part given does not exist."},
        {Language::kGerman, "IMPT00000004 Die angegebene Stimme gibt es nicht."},
    };
    for (const auto& [language, text] : expected) {
        InstallLanguage(language);
        ShowImportError(4);
        ShowNotesWithoutStringMessage(3);
        const std::vector<std::string> shown = sink.Take();
        ASSERT_EQ(shown.size(), 2u);
        EXPECT_EQ(shown[0], text);
        EXPECT_EQ(shown[1].rfind("STRG", 0), 0u) << shown[1];
        EXPECT_NE(shown[1].find('3'), std::string::npos) << shown[1];
    }
}
