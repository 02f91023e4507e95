#include "platform/Opener.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include <optional>

#include "platform/LinkText.h"
#include "platform/QtText.h"

namespace platform {
namespace {

// The length of a text's scheme with its ":" (RFC 3986: a letter, then
// letters, digits, "+", "-" or "."), 0 when it has none.
int SchemeLength(const QString& text)
{
    if (text.isEmpty() || !text.at(0).isLetter() || text.at(0).unicode() > 127)
        return 0;
    for (int i = 1; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u':')
            return i + 1;
        const bool ascii = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
        if (!ascii && c != u'+' && c != u'-' && c != u'.')
            return 0;
    }
    return 0;
}

bool IsFileAddress(const QString& text)
{
    return text.startsWith(QLatin1String("file:"), Qt::CaseInsensitive);
}

// What xdg-open takes for a local file: a file: address, or a text without
// a scheme (a path).
bool IsLocalText(const QString& text)
{
    return IsFileAddress(text) || SchemeLength(text) == 0;
}

// The path of a file: address ("file:///p", "file://localhost/p",
// "file:/p"), without its query and fragment, percent-decoded once; nothing
// for an address of another host or a relative one.
std::optional<QString> FileAddressPath(const QString& address)
{
    QString rest = address.mid(5);
    rest.truncate(rest.indexOf(QLatin1Char('#')) < 0 ? rest.size() : rest.indexOf(QLatin1Char('#')));
    rest.truncate(rest.indexOf(QLatin1Char('?')) < 0 ? rest.size() : rest.indexOf(QLatin1Char('?')));
    if (rest.startsWith(QLatin1String("//"))) {
        const int slash = rest.indexOf(QLatin1Char('/'), 2);
        const QString host = rest.mid(2, slash < 0 ? -1 : slash - 2);
        if (slash < 0 || (!host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0))
            return std::nullopt;
        rest = rest.mid(slash);
    }
    if (!rest.startsWith(QLatin1Char('/')))
        return std::nullopt;
    return QUrl::fromPercentEncoding(rest.toUtf8());
}

// A backslash or a control character: what xdg-open's shell would decode
// again (echo, printf) or split the text at.
bool HoldsEscape(const QString& path)
{
    for (const QChar c : path)
        if (c == QLatin1Char('\\') || c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    return false;
}

// The absolute path that a local text names, decoded as xdg-open decodes it
// once; nothing when it names no file that can be checked.
std::optional<QString> LocalFilePath(const QString& text)
{
    const std::optional<QString> path = IsFileAddress(text) ? FileAddressPath(text) : text;
    if (!path || path->isEmpty() || HoldsEscape(*path))
        return std::nullopt;
    return QFileInfo(*path).absoluteFilePath();
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

std::optional<QString> OpenTarget(const QString& link)
{
    const QString text = QString::fromUtf8(WithHttpScheme(link.toUtf8().toStdString()));
    // The opener takes a leading "-" for one of its options.
    if (text.startsWith(QLatin1Char('-')))
        return std::nullopt;
    if (!IsLocalText(text))
        return text;
    const std::optional<QString> path = LocalFilePath(text);
    if (!path || NamesExecutableFile(*path))
        return std::nullopt;
    return path;
}

bool NamesExecutableFile(const QString& link)
{
    const std::optional<QString> path = IsLocalText(link) ? LocalFilePath(link) : std::nullopt;
    if (!path)
        return false;
    const QFileInfo info(*path);
    if (!info.exists() || !info.isFile())
        return false;
    if (IsDesktopEntry(info) || IsDesktopEntry(QFileInfo(info.canonicalFilePath())))
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
    const std::optional<QString> target = OpenTarget(link);
    if (!target)
        return OpenResult::Refused;
    return Launch(*target, std::move(failedLater)) ? OpenResult::Opened : OpenResult::NotStarted;
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
