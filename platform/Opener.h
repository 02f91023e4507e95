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

class Opener {
public:
    virtual ~Opener() = default;

    // Opens one link (Windows-1250 text). Returns false when the link is empty,
    // names an executable file or could not be handed to the desktop; nothing
    // is shown to the user either way.
    bool Open(const std::string& linkCp1250);

protected:
    // Hands the final target to the desktop.
    virtual bool Launch(const QString& target) = 0;
};

// The real desktop: xdg-open, started detached with the target as its only argument.
class DesktopOpener final : public Opener {
protected:
    bool Launch(const QString& target) override;
};

// For tests: records each target that would have been opened, in order.
class RecordingOpener final : public Opener {
public:
    const QStringList& Opened() const { return opened_; }
    void Clear() { opened_.clear(); }

protected:
    bool Launch(const QString& target) override;

private:
    QStringList opened_;
};

}  // namespace platform
