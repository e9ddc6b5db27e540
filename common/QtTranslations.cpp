#include "common/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <vector>

namespace {

std::vector<QTranslator*> g_installed;
Language g_language = Language::kJapanese;

bool Install(const QString& name, const QString& folder)
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(name, folder) || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    g_installed.push_back(translator);
    return true;
}

std::string TranslateForCore(const char* context, const char* text)
{
    return QCoreApplication::translate(context, text).toStdString();
}

} // namespace

bool InstallLanguage(Language language)
{
    for (QTranslator* translator : g_installed) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    g_installed.clear();
    g_language = language;
    SetTextTranslator(&TranslateForCore);
    const QString code = QString::fromLatin1(LanguageCode(language));
    // Built from resources/translations/*.ts into the program's resources.
    if (language == Language::kJapanese)
        Install(QStringLiteral(":/translations/qt_extra_ja.qm"), QString());
    else
        Install(QStringLiteral(":/translations/dovrelplinvara_%1.qm").arg(code), QString());
    // Some of Qt's texts come from locale data, not catalogues: the file dialog's file types.
    QLocale::setDefault(language == Language::kJapanese ? QLocale(QLocale::Japanese, QLocale::Japan)
                        : language == Language::kGerman ? QLocale(QLocale::German, QLocale::Germany)
                                                        : QLocale(QLocale::English, QLocale::UnitedStates));
    // Qt's own texts are English already.
    if (language == Language::kEnglish)
        return true;
    return Install(QStringLiteral("qt_") + code, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

Language InstalledLanguage()
{
    return g_language;
}

bool InstallQtTranslations()
{
    return InstallLanguage(Language::kJapanese);
}
