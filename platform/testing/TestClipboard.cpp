#include "platform/testing/TestClipboard.h"

namespace platform {

void TestClipboard::Hold(const QString& text)
{
    state_ = State::HoldsText;
    text_ = text;
}

void TestClipboard::HoldNoText()
{
    state_ = State::NoText;
    text_.clear();
}

void TestClipboard::FailReads()
{
    state_ = State::ReadFails;
}

bool TestClipboard::HasText()
{
    return state_ != State::NoText;
}

QString TestClipboard::Text()
{
    ++reads_;
    if (state_ == State::ReadFails)
        throw EClipboardError("Cannot open clipboard");
    return text_;
}

}  // namespace platform
