#include "platform/QtTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace platform {

bool InstallPolishQtTexts(QTranslator& translator)
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    return translator.load(QStringLiteral("qtbase_pl"), folder) && QCoreApplication::installTranslator(&translator);
}

}  // namespace platform
