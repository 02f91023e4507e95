// The clipboard's text. The main window reaches the clipboard through a
// Clipboard object it holds, so that tests can give it one that holds no
// text, holds a text or cannot be read.
#pragma once

#include <stdexcept>
#include <string>

#include <QString>

namespace platform {

// Raised when the clipboard's text cannot be read.
class EClipboardError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Clipboard {
public:
    virtual ~Clipboard() = default;

    // Whether the clipboard offers text.
    virtual bool HasText() = 0;
    // The clipboard's text; EClipboardError when it cannot be read.
    virtual QString Text() = 0;
    virtual void SetText(const QString& text) = 0;
};

// The desktop's clipboard (its Clipboard mode, not the selection).
class SystemClipboard final : public Clipboard {
public:
    bool HasText() override;
    QString Text() override;
    void SetText(const QString& text) override;
};

}  // namespace platform
