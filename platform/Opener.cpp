#include "platform/Opener.h"

#include <QFileInfo>
#include <QProcess>
#include <QUrl>

#include "platform/QtText.h"

namespace platform {
namespace {

// The local path a text stands for: the text itself, or the path of a file:
// URL ("file:///p", "file://localhost/p", "file:/p"), percent-decoded.
QString LocalPath(const QString& link)
{
    if (!link.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        return link;
    const QUrl url(link);
    if (url.isValid() && (url.host().isEmpty() || url.host() == QLatin1String("localhost")))
        return url.path(QUrl::FullyDecoded);
    // Not a URL Qt understands: take what follows the scheme, slashes kept.
    return QUrl::fromPercentEncoding(link.mid(5).toUtf8());
}

bool IsDesktopEntry(const QFileInfo& info)
{
    return info.suffix().compare(QLatin1String("desktop"), Qt::CaseInsensitive) == 0;
}

}  // namespace

QString OpenTarget(const QString& link)
{
    if (link.startsWith(QLatin1String("www")))
        return QStringLiteral("http://") + link;
    return link;
}

bool NamesExecutableFile(const QString& link)
{
    const QString path = LocalPath(link);
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return false;
    if (IsDesktopEntry(info))
        return true;
    // Any execute bit counts, not only the current user's.
    const auto exec = QFileDevice::ExeOwner | QFileDevice::ExeUser | QFileDevice::ExeGroup | QFileDevice::ExeOther;
    return info.permissions().testAnyFlags(exec);
}

OpenResult Opener::OpenLink(const std::string& linkCp1250)
{
    const QString link = ToQString(linkCp1250);
    if (link.isEmpty())
        return OpenResult::Refused;
    const QString target = OpenTarget(link);
    if (NamesExecutableFile(target))
        return OpenResult::Refused;
    return Launch(target) ? OpenResult::Opened : OpenResult::NotStarted;
}

bool DesktopOpener::Launch(const QString& target)
{
    return QProcess::startDetached(QStringLiteral("xdg-open"), {target});
}

}  // namespace platform
