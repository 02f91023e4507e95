// Boxes for tests: every box shown is recorded; every question (a message
// box with more than an OK button, an input box, a file or folder dialog)
// takes the next scripted answer. A question without a scripted answer, or
// with an answer of another kind, is recorded as unscripted and answered
// as if the user cancelled; the test fixture then fails with its text.
#pragma once

#include <deque>
#include <vector>

#include <QString>

#include "platform/Boxes.h"

namespace platform {

enum class BoxKind {
    MessageBox,
    ShowMessage,
    ShowException,
    InputBox,
    InputQuery,
    OpenFile,
    SaveFile,
    SelectDirectory,
};

QString BoxKindName(BoxKind kind);

// One box as it was shown.
struct AskedBox {
    BoxKind kind;
    QString text;     // message, prompt, or the file dialog's file name
    QString caption;  // caption or dialog title
    unsigned flags = 0;
    QString value;     // default text, filter, or the starting folder
    QString owner;     // class name of the owning window ("TForm3"), "" for none
    QString folder{};  // the folder an open or save dialog starts in (may be left out)

    // "MessageBox 'text' / 'caption' flags 0x30", with the value and the
    // folder when there are any
    QString Describe() const;
};

// One scripted answer, taken in order by the next question.
struct BoxAnswer {
    enum class Type { Button, Text, Cancel, Path };
    Type type;
    int button = 0;
    QString text;

    static BoxAnswer Button(int result) { return {Type::Button, result, {}}; }
    static BoxAnswer Text(const QString& typed) { return {Type::Text, 0, typed}; }
    static BoxAnswer Path(const QString& path) { return {Type::Path, 0, path}; }
    static BoxAnswer Cancel() { return {Type::Cancel, 0, {}}; }
};

class ScriptedBoxes : public Boxes {
public:
    void Script(BoxAnswer answer) { answers_.push_back(std::move(answer)); }
    size_t PendingAnswers() const { return answers_.size(); }

    // The boxes shown since the last call, in order.
    std::vector<AskedBox> TakeAsked();
    const std::vector<AskedBox>& Asked() const { return asked_; }
    // The questions that found no fitting answer since the last call.
    std::vector<AskedBox> TakeUnscripted();

    int MessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned flags) override;
    void ShowMessage(const QString& text) override;
    void ShowException(const QString& text) override;
    QString InputBox(const QString& caption, const QString& prompt, const QString& defaultValue) override;
    bool InputQuery(const QString& caption, const QString& prompt, QString& value) override;
    bool OpenFile(QWidget* owner, const FileDialogRequest& request, QString& path) override;
    bool SaveFile(QWidget* owner, const FileDialogRequest& request, QString& path) override;
    bool SelectDirectory(QWidget* owner, const QString& caption, QString& directory) override;

private:
    // Records the box and takes the next answer when it is one of the
    // accepted types; otherwise records the box as unscripted.
    const BoxAnswer* Ask(const AskedBox& box, std::initializer_list<BoxAnswer::Type> accepted);
    bool AnswerPath(const AskedBox& box, QString& path);

    std::deque<BoxAnswer> answers_;
    BoxAnswer current_ = BoxAnswer::Cancel();
    std::vector<AskedBox> asked_;
    std::vector<AskedBox> unscripted_;
};

}  // namespace platform
