#include "platform/Boxes.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace platform {

QString ApplicationTitle()
{
    return QCoreApplication::applicationName();
}

void StartInFolderOf(FileDialogRequest& request, const QString& chosenPath)
{
    request.initialDir = QFileInfo(chosenPath).absolutePath();
}

QString QtFileFilter(const QString& classLibraryFilter)
{
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    const QStringList parts = classLibraryFilter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        description.remove(trailingPatterns);
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == u"*.*")
                pattern = QStringLiteral("*");
        }
        filters << description + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return filters.join(QStringLiteral(";;"));
}

}  // namespace platform
