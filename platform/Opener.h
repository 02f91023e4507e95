// Opening links with the desktop's default handler.
//
// The link text is handed to the desktop's opener (xdg-open) as one argument,
// never through a shell command line. A text starting with "www" in any case
// of letters opens as "http://" + the text (platform::WithHttpScheme, the rule
// of the HTML export too); ed2k, mailto and other texts go unchanged to their
// registered handlers. Opening never runs a program: a text that names an
// executable file (a path or a file: URL of one, or a desktop entry) is not
// opened, nor is a text that the opener would read as one of its options
// (one starting with "-").
//
// The opener answers with its exit status: it starts at once, and a failure
// (no handler for the link, a file that is not there) is known only when it
// ends, which is reported from the event loop, if it ends soon enough, for
// the first few links of a command.
#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QObject;

namespace platform {

// The text given to the desktop for a link; nothing when the link is never
// opened. A text that xdg-open would take for a local file (a path, or a
// file: address of this host) is resolved here, since xdg-open's shell
// decodes it again: a file: address is percent-decoded once (its query and
// fragment dropped), a text then holding a backslash or a control character
// is refused, and so is one naming an executable file; the desktop is given
// the plain absolute path, which xdg-open hands on unchanged. A text with a
// scheme of its own (http:, mailto:, ed2k:) is given as it is.
std::optional<QString> OpenTarget(const QString& link);

// True when the text, taken as a local path or a file: URL, names a regular
// file that could run a program: one with an execute bit, or a desktop entry
// (by its name or the name of the file a symbolic link points to).
bool NamesExecutableFile(const QString& link);

enum class OpenResult {
    Opened,      // handed to the desktop
    Empty,       // an empty text: nothing to open
    Refused,     // names an executable file, or reads as an option: never opened
    NotStarted,  // the desktop's opener could not be started
};

// Called when the desktop's opener, started for a link, ends with a failure.
using OpenFailed = std::function<void()>;

class Opener {
public:
    virtual ~Opener() = default;

    // Opens one link (Windows-1250 text); shows nothing to the user. When the
    // link was handed to the desktop and the desktop's opener later ends
    // with a failure, failedLater is called from the event loop (never after
    // the opener is gone).
    OpenResult OpenLink(const std::string& linkCp1250, OpenFailed failedLater = {});

    // The links opened between BeginCommand and EndCommand are one command's
    // (see OpenerCommand): an opener may share work between them. A link
    // opened outside a command is a command of its own.
    virtual void BeginCommand() {}
    virtual void EndCommand() {}

protected:
    // Hands the final target to the desktop; false when the opener could not
    // be started.
    virtual bool Launch(const QString& target, OpenFailed failedLater) = 0;
};

// The links of one command, for its lifetime.
class OpenerCommand {
public:
    explicit OpenerCommand(Opener& opener) : opener_(opener) { opener_.BeginCommand(); }
    ~OpenerCommand() { opener_.EndCommand(); }
    OpenerCommand(const OpenerCommand&) = delete;
    OpenerCommand& operator=(const OpenerCommand&) = delete;

private:
    Opener& opener_;
};

// How long the desktop's opener is watched for its answer. xdg-open answers
// at once where the desktop hands the link on (GNOME, KDE), but elsewhere it
// runs the handler itself and ends only when the browser or viewer ends: an
// ending after this time is the handler's, not a link that failed to open.
inline constexpr std::chrono::milliseconds kOpenerAnswerTime{10000};

// How many links of one command have their opener's answer watched; one
// failure at most is said for a command, and the first links tell whether
// the desktop opens anything at all.
inline constexpr int kWatchedLinksPerCommand = 3;

// The real desktop: xdg-open, looked up on PATH once for each command, with
// the target as its only argument, in a session of its own (so a terminal's
// signals and hang-up never reach it). The first kWatchedLinksPerCommand
// links of a command are started at once as children of ours (waiting for
// nothing beyond the spawn) whose exit status, when it comes within
// answerTime, is the answer; after that time, and once the opener is gone,
// an ending is only reaped. The other links are held until the command
// ends and then handed, all at once, to one detached launcher that starts
// them one after another (StartDetachedInSession): the command does not
// wait for their starts, and no descriptor and no process of theirs is
// held, however many links it opens. When the launcher cannot be started,
// the first held link's answer is a failure. Links are started in their
// order.
class DesktopOpener final : public Opener {
public:
    explicit DesktopOpener(std::chrono::milliseconds answerTime = kOpenerAnswerTime);
    ~DesktopOpener() override;
    DesktopOpener(const DesktopOpener&) = delete;
    DesktopOpener& operator=(const DesktopOpener&) = delete;

    void BeginCommand() override;
    void EndCommand() override;

protected:
    bool Launch(const QString& target, OpenFailed failedLater) override;

private:
    void Watch(int pid, OpenFailed failedLater);
    void StartHeld();

    // The parent of the watches of children still running.
    std::unique_ptr<QObject> running_;
    std::chrono::milliseconds answerTime_;
    bool inCommand_ = false;
    std::optional<QString> commandOpener_;  // xdg-open as looked up for the command
    int commandWatched_ = 0;
    std::vector<std::vector<std::string>> held_;  // the command's links past the watched ones
    OpenFailed firstHeldFailed_;
};

}  // namespace platform
