#include "QtBoxes.h"

#include <limits>

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace platform {
namespace {

// No limit on what is typed or pasted: a cut address is a broken link.
constexpr int kInputBoxMaxLength = std::numeric_limits<int>::max();

QMessageBox::Icon IconOf(unsigned flags)
{
    switch (flags & MbIconMask) {
    case MbIconStop: return QMessageBox::Critical;
    case MbIconQuestion: return QMessageBox::Question;
    case MbIconExclamation: return QMessageBox::Warning;
    case MbIconInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

struct ButtonSpec {
    const char16_t* text;
    int result;
};

std::vector<ButtonSpec> ButtonsOf(unsigned flags)
{
    switch (flags & MbButtonsMask) {
    case MbOkCancel: return {{u"OK", IdOk}, {u"Anuluj", IdCancel}};
    case MbAbortRetryIgnore: return {{u"Przerwij", IdAbort}, {u"Ponów", IdRetry}, {u"Ignoruj", IdIgnore}};
    case MbYesNoCancel: return {{u"Tak", IdYes}, {u"Nie", IdNo}, {u"Anuluj", IdCancel}};
    case MbYesNo: return {{u"Tak", IdYes}, {u"Nie", IdNo}};
    case MbRetryCancel: return {{u"Ponów", IdRetry}, {u"Anuluj", IdCancel}};
    default: return {{u"OK", IdOk}};
    }
}

// Escape answers as Win32 does: Cancel where there is one, OK on a lone OK
// button, nothing on Yes/No and Abort/Retry/Ignore.
int EscapeResultOf(unsigned flags)
{
    switch (flags & MbButtonsMask) {
    case MbOk: return IdOk;
    case MbOkCancel:
    case MbYesNoCancel:
    case MbRetryCancel: return IdCancel;
    default: return 0;
    }
}

int DefaultButtonOf(unsigned flags)
{
    return static_cast<int>((flags & MbDefButtonMask) >> 8);
}

class InputDialog : public QDialog {
public:
    InputDialog(const QString& caption, const QString& prompt, const QString& value)
    {
        setWindowTitle(caption);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(new QLabel(prompt, this));
        edit_ = new QLineEdit(this);
        edit_->setMaxLength(kInputBoxMaxLength);
        edit_->setText(value);
        edit_->selectAll();
        edit_->setMinimumWidth(320);
        layout->addWidget(edit_);
        auto* buttons = new QDialogButtonBox(this);
        auto* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
        auto* cancel = buttons->addButton(QStringLiteral("Anuluj"), QDialogButtonBox::RejectRole);
        ok->setDefault(true);
        cancel->setAutoDefault(false);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        layout->addWidget(buttons);
    }
    QString Text() const { return edit_->text(); }

private:
    QLineEdit* edit_ = nullptr;
};

bool RunFileDialog(QWidget* owner, const FileDialogRequest& request, QString& path, bool save)
{
    QFileDialog dialog(owner, request.title, request.initialDir);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setDefaultSuffix(QString());
    const QStringList filters = QtFileFilter(request.filter).split(QStringLiteral(";;"), Qt::SkipEmptyParts);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = std::clamp(request.filterIndex, 1, static_cast<int>(filters.size()));
        dialog.selectNameFilter(filters[index - 1]);
    }
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    path = dialog.selectedFiles().constFirst();
    return true;
}

}  // namespace

int QtBoxes::MessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned flags)
{
    QMessageBox box(IconOf(flags), caption, text, QMessageBox::NoButton, owner);
    const std::vector<ButtonSpec> specs = ButtonsOf(flags);
    std::vector<QPushButton*> buttons;
    for (const ButtonSpec& spec : specs) {
        QPushButton* button = box.addButton(QString::fromUtf16(spec.text), QMessageBox::AcceptRole);
        button->setAutoDefault(false);
        buttons.push_back(button);
    }
    const size_t defaultIndex = std::min<size_t>(DefaultButtonOf(flags), buttons.size() - 1);
    box.setDefaultButton(buttons[defaultIndex]);
    const int escapeResult = EscapeResultOf(flags);
    for (size_t i = 0; i < specs.size(); ++i)
        if (specs[i].result == escapeResult)
            box.setEscapeButton(buttons[i]);
    box.exec();
    for (size_t i = 0; i < specs.size(); ++i)
        if (box.clickedButton() == buttons[i])
            return specs[i].result;
    return escapeResult ? escapeResult : IdCancel;
}

void QtBoxes::ShowMessage(const QString& text)
{
    MessageBox(nullptr, text, ApplicationTitle(), MbOk);
}

void QtBoxes::ShowException(const QString& text)
{
    MessageBox(nullptr, text, ApplicationTitle(), MbOk | MbIconStop);
}

QString QtBoxes::InputBox(const QString& caption, const QString& prompt, const QString& defaultValue)
{
    QString value = defaultValue;
    return InputQuery(caption, prompt, value) ? value : defaultValue;
}

bool QtBoxes::InputQuery(const QString& caption, const QString& prompt, QString& value)
{
    InputDialog dialog(caption, prompt, value);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    value = dialog.Text();
    return true;
}

bool QtBoxes::OpenFile(QWidget* owner, const FileDialogRequest& request, QString& path)
{
    return RunFileDialog(owner, request, path, false);
}

bool QtBoxes::SaveFile(QWidget* owner, const FileDialogRequest& request, QString& path)
{
    return RunFileDialog(owner, request, path, true);
}

bool QtBoxes::SelectDirectory(QWidget* owner, const QString& caption, QString& directory)
{
    const QString chosen = QFileDialog::getExistingDirectory(owner, caption, directory);
    if (chosen.isEmpty())
        return false;
    directory = chosen;
    return true;
}

}  // namespace platform
