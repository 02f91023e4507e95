// Opening links with the desktop's default handler.
//
// The link text is handed to the desktop's opener (xdg-open) as one argument,
// never through a shell command line. A text starting with "www" opens as
// "http://" + the text; ed2k, mailto and other texts go unchanged to their
// registered handlers. Opening never runs a program: a text that names an
// executable file (a path or a file: URL of one, or a desktop entry) is not
// opened.
#pragma once

#include <QString>
#include <QStringList>

#include <string>

namespace platform {

// The text given to the desktop for a link (UTF-8 in, as QString out).
QString OpenTarget(const QString& link);

// True when the text, taken as a local path or a file: URL, names a regular
// file that could run a program: one with an execute bit, or a desktop entry.
bool NamesExecutableFile(const QString& link);

enum class OpenResult {
    Opened,      // handed to the desktop
    Refused,     // empty, or names an executable file: never opened
    NotStarted,  // the desktop's opener could not be started
};

class Opener {
public:
    virtual ~Opener() = default;

    // Opens one link (Windows-1250 text); shows nothing to the user.
    OpenResult OpenLink(const std::string& linkCp1250);
    // True when the link was handed to the desktop.
    bool Open(const std::string& linkCp1250) { return OpenLink(linkCp1250) == OpenResult::Opened; }

protected:
    // Hands the final target to the desktop; false when the opener could not
    // be started.
    virtual bool Launch(const QString& target) = 0;
};

// The real desktop: xdg-open, started detached with the target as its only
// argument, found through PATH.
class DesktopOpener final : public Opener {
protected:
    bool Launch(const QString& target) override;
};

}  // namespace platform
