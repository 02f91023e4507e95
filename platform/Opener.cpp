#include "platform/Opener.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include "platform/LinkText.h"
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

// util-linux's setsid, which starts a program in a session of its own and
// waits for it: from PATH, else from the system's folders; "" when missing.
QString SessionStarter()
{
    const QString name = QStringLiteral("setsid");
    const QString found = QStandardPaths::findExecutable(name);
    return found.isEmpty() ? QStandardPaths::findExecutable(name, {QStringLiteral("/usr/bin"), QStringLiteral("/bin")})
                           : found;
}

bool Failed(int exitCode, QProcess::ExitStatus status)
{
    return status != QProcess::NormalExit || exitCode != 0;
}

// Stops watching a desktop's opener that has not answered in time: its
// ending says nothing more. Only the waiting setsid is ended: xdg-open and
// its handler are in a session of their own and go on.
void LetGo(QProcess* process)
{
    process->disconnect();
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->kill();
}

}  // namespace

QString OpenTarget(const QString& link)
{
    return QString::fromUtf8(WithHttpScheme(link.toUtf8().toStdString()));
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

OpenResult Opener::OpenLink(const std::string& linkCp1250, OpenFailed failedLater)
{
    const QString link = ToQString(linkCp1250);
    if (link.isEmpty())
        return OpenResult::Empty;
    const QString target = OpenTarget(link);
    // The opener takes a leading "-" for one of its options.
    if (target.startsWith(QLatin1Char('-')) || NamesExecutableFile(target))
        return OpenResult::Refused;
    return Launch(target, std::move(failedLater)) ? OpenResult::Opened : OpenResult::NotStarted;
}

DesktopOpener::DesktopOpener(std::chrono::milliseconds answerTime)
    : running_(std::make_unique<QObject>()), answerTime_(answerTime)
{}

DesktopOpener::~DesktopOpener()
{
    for (QProcess* process : running_->findChildren<QProcess*>(Qt::FindDirectChildrenOnly)) {
        process->disconnect();
        process->kill();  // setsid alone: its child is in a session of its own
        process->waitForFinished();
    }
}

bool DesktopOpener::Launch(const QString& target, OpenFailed failedLater)
{
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    const QString starter = SessionStarter();
    if (opener.isEmpty() || starter.isEmpty())
        return false;
    auto* process = new QProcess(running_.get());
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::finished, process,
                     [process, failedLater = std::move(failedLater)](int exitCode, QProcess::ExitStatus status) {
                         process->deleteLater();
                         if (Failed(exitCode, status) && failedLater)
                             failedLater();
                     });
    process->start(starter, {QStringLiteral("--fork"), QStringLiteral("--wait"), opener, target});
    if (process->waitForStarted()) {
        QTimer::singleShot(answerTime_, process, [process] { LetGo(process); });
        return true;
    }
    delete process;
    return false;
}

}  // namespace platform
