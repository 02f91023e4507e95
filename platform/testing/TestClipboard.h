// For tests: a clipboard that holds no text, holds a text, or offers text
// that cannot be read.
#pragma once

#include "platform/Clipboard.h"

namespace platform {

class TestClipboard final : public Clipboard {
public:
    void Hold(const QString& text);
    void HoldNoText();
    void FailReads();

    int Reads() const { return reads_; }

    bool HasText() override;
    QString Text() override;
    void SetText(const QString& text) override { Hold(text); }

private:
    enum class State { NoText, HoldsText, ReadFails };
    State state_ = State::NoText;
    QString text_;
    int reads_ = 0;
};

}  // namespace platform
