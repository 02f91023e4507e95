#include "platform/Opener.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include <optional>

#include "platform/LinkText.h"
#include "platform/Process.h"
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

// How often a watched opener is asked whether it has ended, within its
// answer time and after it.
constexpr std::chrono::milliseconds kAnswerPoll{20};
constexpr std::chrono::milliseconds kLateEndPoll{1000};

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

// The children still running are left to end on their own.
DesktopOpener::~DesktopOpener() = default;

void DesktopOpener::BeginCommand()
{
    inCommand_ = true;
    commandOpener_.reset();
    commandWatched_ = 0;
}

void DesktopOpener::EndCommand()
{
    StartHeld();
    inCommand_ = false;
    commandOpener_.reset();
}

bool DesktopOpener::Launch(const QString& target, OpenFailed failedLater)
{
    if (!inCommand_ || !commandOpener_)
        commandOpener_ = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    const std::string opener = commandOpener_->toStdString();
    if (!inCommand_)
        commandOpener_.reset();
    if (opener.empty())
        return false;
    if (inCommand_ && commandWatched_ >= kWatchedLinksPerCommand) {
        if (held_.empty())
            firstHeldFailed_ = std::move(failedLater);
        held_.push_back({target.toStdString()});
        return true;
    }
    ++commandWatched_;
    const int pid = StartChildInSession(opener, {target.toStdString()});
    if (pid < 0)
        return false;
    Watch(pid, std::move(failedLater));
    return true;
}

// The links held for the command go to one launcher; when it cannot be
// started, none of them is opened, which the first one's answer says.
void DesktopOpener::StartHeld()
{
    if (held_.empty())
        return;
    if (!StartDetachedInSession(commandOpener_->toStdString(), held_) && firstHeldFailed_)
        QTimer::singleShot(0, running_.get(), std::move(firstHeldFailed_));
    held_.clear();
    firstHeldFailed_ = {};
}

// Asks the child whether it has ended until it has: an ending with a failure
// within the answer time is the answer, a later one is only reaped.
void DesktopOpener::Watch(int pid, OpenFailed failedLater)
{
    auto* poll = new QTimer(running_.get());
    poll->setInterval(kAnswerPoll);
    QElapsedTimer since;
    since.start();
    QObject::connect(poll, &QTimer::timeout, poll,
                     [poll, pid, since, answerTime = answerTime_, failedLater = std::move(failedLater)]() mutable {
                         const ChildState state = ReapChild(pid);
                         const bool inTime = std::chrono::milliseconds(since.elapsed()) < answerTime;
                         if (state == ChildState::Running) {
                             if (!inTime) {
                                 failedLater = {};
                                 poll->setInterval(kLateEndPoll);
                             }
                             return;
                         }
                         poll->stop();
                         poll->deleteLater();
                         if (state == ChildState::Failed && inTime && failedLater)
                             failedLater();
                     });
    poll->start();
}

}  // namespace platform
