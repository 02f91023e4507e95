#include "window/dialogs/AboutBox.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QUrl>

#include "platform/LinkOpening.h"
#include "platform/Opener.h"
#include "platform/QtText.h"

namespace {

// Client area and colour of the design: the class library's $00D8D8D8.
constexpr int kWidth = 372;
constexpr int kHeight = 224;
const QColor kBoxColour(0xD8, 0xD8, 0xD8);
const QColor kTextColour(Qt::white);
const QColor kContactColour(0x80, 0x80, 0x80);  // clGray
constexpr double kOpacity = 240.0 / 255.0;
constexpr int kTitleSize = 19;
constexpr int kTextSize = 12;

// The e-mail to the author with its subject: "mailto:" + address +
// "?subject=" + the subject percent-encoded as UTF-8.
QString MailTarget()
{
    return QStringLiteral("mailto:") + QString::fromUtf8(about::kEmail) + QStringLiteral("?subject=") +
        QString::fromLatin1(QUrl::toPercentEncoding(QString::fromUtf8(about::kMailSubject)));
}

// The label's font style: underline alone, or no style at all.
void SetStyle(QLabel* label, bool underline)
{
    QFont font = label->font();
    font.setBold(false);
    font.setItalic(false);
    font.setStrikeOut(false);
    font.setUnderline(underline);
    label->setFont(font);
}

}  // namespace

TForm6::TForm6(QWidget* owner, platform::Opener& opener, platform::Boxes& boxes, std::function<bool()> ownerBusy)
    : GuardedDialog(owner, boxes), opener_(opener), ownerBusy_(std::move(ownerBusy))
{
    setWindowTitle(QStringLiteral("o programie"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setWindowOpacity(kOpacity);
    setFixedSize(kWidth, kHeight);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kBoxColour);
    setPalette(palette);
    setAutoFillBackground(true);
    CreateComponents();
}

void TForm6::CreateComponents()
{
    Panel1 = new QFrame(this);
    Panel1->setGeometry(0, 0, kWidth, kHeight);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);  // the lowered inner bevel
    Panel1->setLineWidth(1);
    Panel1->installEventFilter(this);

    Label1 = AddLabel(QStringLiteral("Quomira v"), 16, 20, kTitleSize, true, kTextColour);
    Label2 = AddLabel(QStringLiteral("Autor programu :"), 62, 20, kTextSize, false, kTextColour);
    Label3 = AddLabel(QString::fromUtf8(about::kAuthor), 80, 40, kTextSize, false, kTextColour);
    Label4 = AddLabel(QString::fromUtf8(about::kEmail), 98, 40, kTextSize, false, kContactColour);
    Label7 = AddLabel(QStringLiteral("Opis programu :"), 126, 20, kTextSize, false, kTextColour);
    Label5 = AddLabel(QString::fromUtf8(about::kWebPage), 144, 40, kTextSize, false, kContactColour);
    Label6 = AddLabel(QString::fromUtf8(about::kNotice), 190, 20, kTextSize, false, kTextColour);
    for (QLabel* contact : {Label4, Label5})
        contact->setCursor(Qt::PointingHandCursor);
    installEventFilter(this);
}

QLabel* TForm6::AddLabel(const QString& text, int top, int left, int pixelSize, bool bold, const QColor& colour)
{
    auto* label = new QLabel(text, Panel1);
    QFont font(QStringLiteral("Verdana"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setAutoFillBackground(false);  // transparent over the panel
    label->move(left, top);
    label->adjustSize();
    label->installEventFilter(this);
    return label;
}

void TForm6::Label4Click()
{
    OpenLinksOrSay(opener_, boxes_, this, {platform::FromQString(MailTarget())}, BusyOr(ownerBusy_));
}

void TForm6::Label5Click()
{
    OpenLinksOrSay(opener_, boxes_, this, {platform::FromQString(QString::fromUtf8(about::kWebPage))},
                   BusyOr(ownerBusy_));
}

void TForm6::Label4MouseEnter(QLabel* sender)
{
    SetStyle(sender, true);
}

void TForm6::Label4MouseLeave(QLabel* sender)
{
    SetStyle(sender, false);
}

void TForm6::FormClick()
{
    close();
}

bool TForm6::eventFilter(QObject* watched, QEvent* event)
{
    const bool contact = watched == Label4 || watched == Label5;
    switch (event->type()) {
    case QEvent::Enter:
        if (contact)
            Guarded([&] { Label4MouseEnter(static_cast<QLabel*>(watched)); });
        break;
    case QEvent::Leave:
        if (contact)
            Guarded([&] { Label4MouseLeave(static_cast<QLabel*>(watched)); });
        break;
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (mouse->button() != Qt::LeftButton || !widget || !widget->rect().contains(mouse->position().toPoint()))
            break;
        if (watched == Label4)
            Guarded([this] { Label4Click(); });
        else if (watched == Label5)
            Guarded([this] { Label5Click(); });
        else
            Guarded([this] { FormClick(); });
        return true;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void TForm6::keyPressEvent(QKeyEvent* event)
{
    // No key is handled: Escape and Enter leave the box open.
    event->ignore();
}

void TForm6::showEvent(QShowEvent* event)
{
    for (QLabel* label : {Label1, Label2, Label3, Label4, Label7, Label5, Label6})
        label->adjustSize();
    QDialog::showEvent(event);
}
