#include "platform/QtBoxes.h"

#include <limits>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStringTokenizer>
#include <QStyle>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "platform/ButtonKeys.h"

namespace platform {
namespace {

// No limit on what is typed or pasted: a cut address is a broken link.
constexpr int kInputBoxMaxLength = std::numeric_limits<int>::max();

QMessageBox::Icon IconOf(unsigned flags)
{
    switch (flags & MbIconMask) {
    case MbIconStop:
        return QMessageBox::Critical;
    case MbIconQuestion:
        return QMessageBox::Question;
    case MbIconExclamation:
        return QMessageBox::Warning;
    case MbIconInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

struct ButtonSpec {
    const char16_t* text;
    int result;
};

std::vector<ButtonSpec> ButtonsOf(unsigned flags)
{
    switch (flags & MbButtonsMask) {
    case MbOkCancel:
        return {{u"OK", IdOk}, {u"Anuluj", IdCancel}};
    case MbAbortRetryIgnore:
        return {{u"Przerwij", IdAbort}, {u"Ponów", IdRetry}, {u"Ignoruj", IdIgnore}};
    case MbYesNoCancel:
        return {{u"Tak", IdYes}, {u"Nie", IdNo}, {u"Anuluj", IdCancel}};
    case MbYesNo:
        return {{u"Tak", IdYes}, {u"Nie", IdNo}};
    case MbRetryCancel:
        return {{u"Ponów", IdRetry}, {u"Anuluj", IdCancel}};
    default:
        return {{u"OK", IdOk}};
    }
}

// Escape answers as Win32 does: Cancel where there is one, OK on a lone OK
// button, nothing on Yes/No and Abort/Retry/Ignore.
int EscapeResultOf(unsigned flags)
{
    switch (flags & MbButtonsMask) {
    case MbOk:
        return IdOk;
    case MbOkCancel:
    case MbYesNoCancel:
    case MbRetryCancel:
        return IdCancel;
    default:
        return 0;
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
        EnterClicksWhenFocused(cancel);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        layout->addWidget(buttons);
    }
    QString Text() const { return edit_->text(); }

private:
    QLineEdit* edit_ = nullptr;
};

// The height a message's text may take before it scrolls inside the box:
// two thirds of the screen, so the box with its buttons always fits.
int MaxMessageTextHeight(const QWidget* owner)
{
    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    const int available = screen ? screen->availableGeometry().height() : 768;
    return available * 2 / 3;
}

// A message box for a text too tall for the screen (the delete question for
// thousands of links): the text scrolls in a read-only pane and the buttons
// stay below it. Buttons, default button and keys are those of the short box:
// Enter presses the default button (or the focused one), Escape answers as
// the short box does and does nothing where it has no escape answer.
class LongMessageDialog : public QDialog {
public:
    LongMessageDialog(QWidget* owner, const QString& text, const QString& caption, unsigned flags)
        : QDialog(owner), specs_(ButtonsOf(flags)), escapeResult_(EscapeResultOf(flags))
    {
        setWindowTitle(caption);
        setSizeGripEnabled(true);
        if (!escapeResult_)
            setWindowFlags(windowFlags() & ~Qt::WindowCloseButtonHint);
        auto* layout = new QVBoxLayout(this);
        auto* row = new QHBoxLayout;
        AddIcon(*row, flags);
        row->addWidget(TextPane(text, owner), 1);
        layout->addLayout(row, 1);
        layout->addLayout(Buttons(flags));
    }

    int Result() const
    {
        for (size_t i = 0; i < buttons_.size(); ++i)
            if (clicked_ == buttons_[i])
                return specs_[i].result;
        return escapeResult_ ? escapeResult_ : IdCancel;
    }

protected:
    void reject() override
    {
        if (escapeResult_)
            QDialog::reject();  // Escape or the close box: the escape answer
    }

private:
    void AddIcon(QHBoxLayout& row, unsigned flags)
    {
        QStyle::StandardPixmap pixmap;
        switch (IconOf(flags)) {
        case QMessageBox::Critical:
            pixmap = QStyle::SP_MessageBoxCritical;
            break;
        case QMessageBox::Question:
            pixmap = QStyle::SP_MessageBoxQuestion;
            break;
        case QMessageBox::Warning:
            pixmap = QStyle::SP_MessageBoxWarning;
            break;
        case QMessageBox::Information:
            pixmap = QStyle::SP_MessageBoxInformation;
            break;
        default:
            return;
        }
        const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        auto* label = new QLabel(this);
        label->setPixmap(style()->standardIcon(pixmap, nullptr, this).pixmap(size, size));
        label->setAlignment(Qt::AlignTop);
        row.addWidget(label);
    }

    QPlainTextEdit* TextPane(const QString& text, const QWidget* owner)
    {
        auto* pane = new QPlainTextEdit(this);
        pane->setReadOnly(true);
        pane->setFocusPolicy(Qt::ClickFocus);  // Tab goes from button to button
        pane->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        pane->setLineWrapMode(QPlainTextEdit::NoWrap);
        pane->setFrameShape(QFrame::NoFrame);
        pane->viewport()->setAutoFillBackground(false);
        pane->setPlainText(text);
        const QFontMetrics metrics(pane->font());
        pane->setMinimumWidth(std::min(WidestLine(text, metrics) + 40, 640));
        pane->setFixedHeight(MaxMessageTextHeight(owner));
        return pane;
    }

    // The widest of the first lines: enough to size the pane, quick for any
    // number of lines.
    static int WidestLine(const QString& text, const QFontMetrics& metrics)
    {
        int widest = 0;
        int lines = 0;
        for (const QStringView line : QStringTokenizer(text, u'\n')) {
            widest = std::max(widest, metrics.horizontalAdvance(line.toString()));
            if (++lines == 200)
                break;
        }
        return widest;
    }

    QHBoxLayout* Buttons(unsigned flags)
    {
        auto* row = new QHBoxLayout;
        row->addStretch();
        for (const ButtonSpec& spec : specs_) {
            auto* button = new QPushButton(QString::fromUtf16(spec.text), this);
            button->setAutoDefault(false);
            EnterClicksWhenFocused(button);
            connect(button, &QPushButton::clicked, this, [this, button] {
                clicked_ = button;
                accept();
            });
            row->addWidget(button);
            buttons_.push_back(button);
        }
        row->addStretch();
        QPushButton* defaultButton = buttons_[std::min<size_t>(DefaultButtonOf(flags), buttons_.size() - 1)];
        defaultButton->setDefault(true);
        defaultButton->setFocus();
        return row;
    }

    std::vector<ButtonSpec> specs_;
    int escapeResult_;
    std::vector<QPushButton*> buttons_;
    QPushButton* clicked_ = nullptr;
};

// The file dialogs' size: room for the four columns of the detail view
// beside the side bar, never more than most of the screen.
constexpr QSize kFileDialogSize(880, 540);

// The detail view's size, type and date columns as wide as the texts of the
// folder shown (a size such as "553 bajty" would be cut at Qt's width), never
// narrower than before, so a column the user widened stays so; the name
// column takes the rest of the view, at least a third of it.
void FitColumns(QTreeView& view)
{
    QHeaderView& header = *view.header();
    int others = 0;
    for (int column = 1; column < header.count(); ++column) {
        const int before = header.sectionSize(column);
        view.resizeColumnToContents(column);
        if (header.sectionSize(column) < before)
            header.resizeSection(column, before);
        others += header.sectionSize(column);
    }
    const int width = view.viewport()->width();
    header.resizeSection(0, std::max(width / 3, width - others));
}

// Qt's own dialog (not the desktop's), so that it is Polish on every desktop
// and its columns get their room, in a size that shows them.
void PrepareFileDialog(QFileDialog& dialog, const QWidget* owner)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    const QSize available = screen ? screen->availableGeometry().size() * 9 / 10 : kFileDialogSize;
    dialog.resize(kFileDialogSize.boundedTo(available));
    auto* view = dialog.findChild<QTreeView*>();
    auto* model = dialog.findChild<QFileSystemModel*>();
    if (!view || !model)
        return;
    QObject::connect(model, &QFileSystemModel::directoryLoaded, view, [view] { FitColumns(*view); });
    QTimer::singleShot(0, view, [view] { FitColumns(*view); });  // once shown, before the folder is read
}

bool RunFileDialog(QWidget* owner, const FileDialogRequest& request, QString& path, bool save)
{
    QFileDialog dialog(owner, request.title, request.initialDir);
    PrepareFileDialog(dialog, owner);
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

bool IsLongMessage(const QString& text, const QWidget* owner)
{
    const int lines = static_cast<int>(text.count(u'\n')) + 1;
    return lines * QFontMetrics(QApplication::font()).lineSpacing() > MaxMessageTextHeight(owner);
}

int LongMessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned flags)
{
    LongMessageDialog dialog(owner, text, caption, flags);
    dialog.exec();
    return dialog.Result();
}

int QtBoxes::MessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned flags)
{
    if (IsLongMessage(text, owner))
        return LongMessageBox(owner, text, caption, flags);
    QMessageBox box(IconOf(flags), caption, text, QMessageBox::NoButton, owner);
    const std::vector<ButtonSpec> specs = ButtonsOf(flags);
    std::vector<QPushButton*> buttons;
    for (const ButtonSpec& spec : specs) {
        QPushButton* button = box.addButton(QString::fromUtf16(spec.text), QMessageBox::AcceptRole);
        button->setAutoDefault(false);
        EnterClicksWhenFocused(button);
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
    QFileDialog dialog(owner, caption, directory);
    PrepareFileDialog(dialog, owner);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    directory = dialog.selectedFiles().constFirst();
    return true;
}

}  // namespace platform
