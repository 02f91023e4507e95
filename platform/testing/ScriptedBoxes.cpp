#include "platform/testing/ScriptedBoxes.h"

#include <QWidget>
#include <QtGlobal>

namespace platform {

QString BoxKindName(BoxKind kind)
{
    switch (kind) {
    case BoxKind::MessageBox:
        return QStringLiteral("MessageBox");
    case BoxKind::ShowMessage:
        return QStringLiteral("ShowMessage");
    case BoxKind::ShowException:
        return QStringLiteral("ShowException");
    case BoxKind::InputBox:
        return QStringLiteral("InputBox");
    case BoxKind::InputQuery:
        return QStringLiteral("InputQuery");
    case BoxKind::OpenFile:
        return QStringLiteral("OpenFile");
    case BoxKind::SaveFile:
        return QStringLiteral("SaveFile");
    case BoxKind::SelectDirectory:
        return QStringLiteral("SelectDirectory");
    }
    return QStringLiteral("?");
}

namespace {

QString OwnerName(const QWidget* owner)
{
    return owner ? QString::fromLatin1(owner->metaObject()->className()) : QString();
}

}  // namespace

QString AskedBox::Describe() const
{
    return QStringLiteral("%1 '%2' / '%3' flags 0x%4%5%6")
        .arg(BoxKindName(kind), text, caption, QString::number(flags, 16),
             value.isEmpty() ? QString() : QStringLiteral(" value '%1'").arg(value),
             folder.isEmpty() ? QString() : QStringLiteral(" in '%1'").arg(folder));
}

std::vector<AskedBox> ScriptedBoxes::TakeAsked()
{
    return std::exchange(asked_, {});
}

std::vector<AskedBox> ScriptedBoxes::TakeUnscripted()
{
    return std::exchange(unscripted_, {});
}

const BoxAnswer* ScriptedBoxes::Ask(const AskedBox& box, std::initializer_list<BoxAnswer::Type> accepted)
{
    asked_.push_back(box);
    if (!answers_.empty()) {
        const BoxAnswer::Type next = answers_.front().type;
        for (BoxAnswer::Type type : accepted) {
            if (type == next) {
                current_ = answers_.front();
                answers_.pop_front();
                return &current_;
            }
        }
    }
    qWarning("Unscripted question: %s", qPrintable(box.Describe()));
    unscripted_.push_back(box);
    return nullptr;
}

int ScriptedBoxes::MessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned flags)
{
    const AskedBox box{BoxKind::MessageBox, text, caption, flags, {}, OwnerName(owner)};
    const unsigned buttons = flags & MbButtonsMask;
    if (buttons == MbOk) {
        asked_.push_back(box);
        return IdOk;
    }
    if (const BoxAnswer* answer = Ask(box, {BoxAnswer::Type::Button}))
        return answer->button;
    return buttons == MbYesNo ? IdNo : IdCancel;
}

void ScriptedBoxes::ShowMessage(const QString& text)
{
    asked_.push_back({BoxKind::ShowMessage, text, ApplicationTitle(), MbOk, {}, {}});
}

void ScriptedBoxes::ShowException(const QString& text)
{
    asked_.push_back({BoxKind::ShowException, text, ApplicationTitle(), MbOk | MbIconStop, {}, {}});
}

QString ScriptedBoxes::InputBox(const QString& caption, const QString& prompt, const QString& defaultValue)
{
    const AskedBox box{BoxKind::InputBox, prompt, caption, 0, defaultValue, {}};
    const BoxAnswer* answer = Ask(box, {BoxAnswer::Type::Text, BoxAnswer::Type::Cancel});
    if (!answer || answer->type == BoxAnswer::Type::Cancel)
        return defaultValue;
    return answer->text;
}

bool ScriptedBoxes::InputQuery(const QString& caption, const QString& prompt, QString& value)
{
    const AskedBox box{BoxKind::InputQuery, prompt, caption, 0, value, {}};
    const BoxAnswer* answer = Ask(box, {BoxAnswer::Type::Text, BoxAnswer::Type::Cancel});
    if (!answer || answer->type == BoxAnswer::Type::Cancel)
        return false;
    value = answer->text;
    return true;
}

bool ScriptedBoxes::AnswerPath(const AskedBox& box, QString& path)
{
    const BoxAnswer* answer = Ask(box, {BoxAnswer::Type::Path, BoxAnswer::Type::Cancel});
    if (!answer || answer->type == BoxAnswer::Type::Cancel)
        return false;
    path = answer->text;
    return true;
}

bool ScriptedBoxes::OpenFile(QWidget* owner, const FileDialogRequest& request, QString& path)
{
    return AnswerPath(
        {BoxKind::OpenFile, request.fileName, request.title, 0, request.filter, OwnerName(owner), request.initialDir},
        path);
}

bool ScriptedBoxes::SaveFile(QWidget* owner, const FileDialogRequest& request, QString& path)
{
    return AnswerPath(
        {BoxKind::SaveFile, request.fileName, request.title, 0, request.filter, OwnerName(owner), request.initialDir},
        path);
}

bool ScriptedBoxes::SelectDirectory(QWidget* owner, const QString& caption, QString& directory)
{
    return AnswerPath({BoxKind::SelectDirectory, QString(), caption, 0, directory, OwnerName(owner)}, directory);
}

}  // namespace platform
