#include "common/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// Built from resources/translations/qt_extra_ja.ts into the program's resources.
const char* const kExtraCatalogue = ":/translations/qt_extra_ja.qm";

bool Install(const QString& name, const QString& folder)
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(name, folder) || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    return true;
}

} // namespace

bool InstallQtTranslations()
{
    static bool installed = false;
    if (installed)
        return true;
    static const bool extra = Install(QString::fromLatin1(kExtraCatalogue), QString());
    (void)extra;
    // Some of Qt's texts come from locale data, not catalogues: the file dialog's file types.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    installed = Install(QStringLiteral("qt_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    return installed;
}
