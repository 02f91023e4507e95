#include "window/dialogs/MoveLinksDialog.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "platform/ButtonKeys.h"
#include "platform/Convert.h"
#include "platform/ImageList.h"
#include "platform/QtText.h"
#include "store/Funcs.h"
#include "window/widgets/CategoryCombo.h"
#include "window/widgets/RowPainting.h"

namespace {

// Colour of the combo, the class library's $00F9FFFF.
const QColor kComboColour(255, 255, 249);
constexpr int kItemHeight = 18;
constexpr int kCancelImage = 2;
constexpr int kMoveImage = 20;

using platform::IsEnter;

}  // namespace

TForm7::TForm7(QWidget* owner, const platform::ImageList& images, platform::Boxes& boxes)
    : GuardedDialog(owner, boxes), images_(images)
{
    setWindowTitle(QStringLiteral("Przenieś linki do kategorii"));
    // A fixed single border with only the close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(331, 125);
    CreateComponents();
    FormCreate();
}

void TForm7::CreateComponents()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);

    GroupBox1 = new QGroupBox(QStringLiteral("Kategoria do której przenieść wybrane linki : "), this);
    auto* groupLayout = new QVBoxLayout(GroupBox1);
    ComboBox1 = new QComboBox(GroupBox1);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    ComboBox1->setFont(font);
    QPalette palette = ComboBox1->palette();
    palette.setColor(QPalette::Base, kComboColour);
    ComboBox1->setPalette(palette);
    ComboBox1->setIconSize(QSize(images_.Width(), images_.Height()));
    ComboBox1->view()->setItemDelegate(new categorycombo::RowDelegate(
        ComboBox1, [this](QPainter& p, const QRect& r, int i, bool s) { ComboBox1DrawItem(p, r, i, s); }, kItemHeight));
    ComboBox1->installEventFilter(this);
    groupLayout->addWidget(ComboBox1);
    layout->addWidget(GroupBox1);

    auto* buttons = new QHBoxLayout;
    BitBtn1 = new QPushButton(QStringLiteral("Anuluj"), this);
    BitBtn2 = new QPushButton(QStringLiteral("Przenieś"), this);
    // Enter and Escape are the key handler's, not a default button's;
    // Enter on a focused button clicks that button.
    for (QPushButton* button : {BitBtn1, BitBtn2})
        platform::EnterClicksWhenFocused(button);
    buttons->addWidget(BitBtn1);
    buttons->addStretch();
    buttons->addWidget(BitBtn2);
    layout->addLayout(buttons);

    ConnectClick(BitBtn1, &TForm7::BitBtn1Click);
    ConnectClick(BitBtn2, &TForm7::BitBtn2Click);
    ComboBox1->setFocus();
}

void TForm7::FormCreate()
{
    CurrentCategoryIndex = 0;
    BitBtn1->setIcon(images_.Icon(kCancelImage));
    BitBtn2->setIcon(images_.Icon(kMoveImage));
}

void TForm7::SetItems(const std::vector<std::string>& categoryLines)
{
    categorycombo::SetLines(*ComboBox1, categoryLines, images_);
}

std::string TForm7::Item(int index) const
{
    return categorycombo::Line(*ComboBox1, index);
}

void TForm7::DeleteLast()
{
    if (ComboBox1->count() > 0)
        ComboBox1->removeItem(ComboBox1->count() - 1);
}

void TForm7::ComboBox1DrawItem(QPainter& painter, const QRect& rect, int index, bool selected)
{
    categorycombo::PaintRow(painter, rect, *ComboBox1, index, selected, kComboColour, images_);
}

void TForm7::StoreResult(int id)
{
    if (ResultCategoryId)
        *ResultCategoryId = id;
}

void TForm7::BitBtn2Click()
{
    const int index = ComboBox1->currentIndex();
    if (index < 0 || index == CurrentCategoryIndex) {
        StoreResult(-1);
        reject();
        return;
    }
    StoreResult(StrToInt(GetTagValue(Item(index), "<i>")));
    accept();
}

void TForm7::BitBtn1Click()
{
    StoreResult(-1);
    reject();
}

void TForm7::ComboBox1KeyDown(int key)
{
    if (IsEnter(key))
        BitBtn2Click();
    else if (key == Qt::Key_Escape)
        reject();  // the caller's -1 stands
}

bool TForm7::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ComboBox1 && TakeKey(event, Keys::EnterEscape, [this](int key) { ComboBox1KeyDown(key); }))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TForm7::keyPressEvent(QKeyEvent* event)
{
    if (!TakeKey(event, Keys::EnterEscape, [this](int key) { ComboBox1KeyDown(key); }))
        QDialog::keyPressEvent(event);
}
