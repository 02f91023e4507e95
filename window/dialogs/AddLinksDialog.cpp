#include "window/dialogs/AddLinksDialog.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "platform/ButtonKeys.h"
#include "platform/Convert.h"
#include "platform/ImageList.h"
#include "platform/QtText.h"
#include "store/Db_funcs.h"
#include "store/Funcs.h"
#include "window/widgets/CategoryCombo.h"
#include "window/widgets/CheckListBox.h"
#include "window/widgets/RowPainting.h"

namespace {

// Colour of the check list and the combo, the class library's $00F9FFFF.
const QColor kListColour(255, 255, 249);
constexpr int kCheckRowHeight = 16;
constexpr int kComboRowHeight = 18;

// The design's client area; the controls below are placed for it.
constexpr int kDesignWidth = 569;
constexpr int kDesignHeight = 361;

using platform::IsEnter;

QFont PixelFont(const QString& family)
{
    QFont font(family);
    font.setPixelSize(11);
    return font;
}

}  // namespace

TForm2::TForm2(QWidget* owner, const platform::ImageList& images, platform::Boxes& boxes)
    : GuardedDialog(owner, boxes), images_(images)
{
    setWindowTitle(QStringLiteral("Dodaj linki"));
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    setFont(PixelFont(QStringLiteral("MS Sans Serif")));
    CreateComponents();
    resize(kDesignWidth, kDesignHeight);
    FormCreate();
}

void TForm2::CreateComponents()
{
    CheckListBox1 = new CheckListBox(this);
    CheckListBox1->setFont(PixelFont(QStringLiteral("Arial")));
    CheckListBox1->SetColor(kListColour);
    CheckListBox1->SetItemHeight(kCheckRowHeight);
    CheckListBox1->SetDrawItem(
        [this](QPainter& p, const QRect& r, int i, bool s) { CheckListBox1DrawItem(p, r, i, s); });
    CheckListBox1->installEventFilter(this);

    ComboBox1 = new QComboBox(this);
    QPalette palette = ComboBox1->palette();
    palette.setColor(QPalette::Base, kListColour);
    ComboBox1->setPalette(palette);
    ComboBox1->setIconSize(QSize(images_.Width(), images_.Height()));
    ComboBox1->view()->setItemDelegate(new categorycombo::RowDelegate(
        ComboBox1, [this](QPainter& p, const QRect& r, int i, bool s) { ComboBox1DrawItem(p, r, i, s); },
        kComboRowHeight));
    ComboBox1->installEventFilter(this);

    Label1 = new QLabel(QStringLiteral("Do ktaegorii : "), this);
    BitBtn1 = new QPushButton(QStringLiteral("Anuluj"), this);
    BitBtn2 = new QPushButton(QStringLiteral("Dodaj linki"), this);
    // Enter clicks the focused button; elsewhere it is the key handler's.
    for (QPushButton* button : {BitBtn1, BitBtn2})
        platform::EnterClicksWhenFocused(button);
    ConnectClick(BitBtn1, &TForm2::BitBtn1Click);
    ConnectClick(BitBtn2, &TForm2::BitBtn2Click);

    setTabOrder(BitBtn2, CheckListBox1);
    setTabOrder(CheckListBox1, ComboBox1);
    setTabOrder(ComboBox1, BitBtn1);
    PlaceControls();
}

void TForm2::PlaceControls()
{
    // The check list is anchored to all four sides, the rest to the left
    // and bottom edges.
    const int dw = width() - kDesignWidth;
    const int dh = height() - kDesignHeight;
    CheckListBox1->setGeometry(16, 16, 537 + dw, 305 + dh);
    // A font wider than the design's would run the label under the combo.
    Label1->adjustSize();
    Label1->move(std::min(128, 200 - 4 - Label1->width()), 333 + dh);
    ComboBox1->setGeometry(200, 329 + dh, 241, ComboBox1->sizeHint().height());
    BitBtn1->setGeometry(16, 328 + dh, 89, 25);
    BitBtn2->setGeometry(447, 328 + dh, 106, 25);
}

void TForm2::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    PlaceControls();
}

void TForm2::FormCreate()
{
    // The dialog opens in front (showEvent) with "Dodaj linki" focused.
    BitBtn2->setFocus();
}

void TForm2::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    raise();
    activateWindow();
}

void TForm2::SetCategories(const std::vector<std::string>& categoryLines)
{
    categorycombo::SetLines(*ComboBox1, categoryLines, images_);
}

std::string TForm2::Category(int index) const
{
    return categorycombo::Line(*ComboBox1, index);
}

void TForm2::DeleteLastCategory()
{
    if (ComboBox1->count() > 0)
        ComboBox1->removeItem(ComboBox1->count() - 1);
}

void TForm2::BitBtn2Click()
{
    const std::string idText = GetTagValue(Category(ComboBox1->currentIndex()), "<i>");
    int id = 0;
    try {
        id = StrToInt(idText);
    } catch (const EConvertError&) {
        id = 0;  // not a number: the uncategorised links
    }
    if (ResultCategoryId)
        *ResultCategoryId = id;
    std::vector<std::string> lines;
    for (int row = 0; row < CheckListBox1->Count(); ++row)
        if (CheckListBox1->GetChecked(row))
            lines.push_back(LinkLine(-1, id, 0, CheckListBox1->Item(row), std::string()));
    DbAddLinks(ArchiveFolder, lines, id);
    accept();
}

void TForm2::BitBtn1Click()
{
    if (ResultCategoryId)
        *ResultCategoryId = -1;
    reject();
}

void TForm2::FormKeyDown(int key)
{
    if (IsEnter(key))
        BitBtn2Click();
    else if (key == Qt::Key_Escape)
        reject();  // the caller's -1 stands
}

void TForm2::CheckListBox1DrawItem(QPainter& painter, const QRect& rect, int index, bool selected)
{
    const std::string candidate = CheckListBox1->Item(index);
    rows::PaintImageTextRow(painter, rect, CheckListBox1->Color(), index, selected, images_, rows::LinkImage(candidate),
                            platform::ToQString(candidate), /*imageTop=*/0);
}

void TForm2::ComboBox1DrawItem(QPainter& painter, const QRect& rect, int index, bool selected)
{
    categorycombo::PaintRow(painter, rect, *ComboBox1, index, selected, kListColour, images_);
}

bool TForm2::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == CheckListBox1 || watched == ComboBox1) &&
        TakeKey(event, Keys::EnterEscape, [this](int key) { FormKeyDown(key); }))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TForm2::keyPressEvent(QKeyEvent* event)
{
    if (!TakeKey(event, Keys::EnterEscape, [this](int key) { FormKeyDown(key); }))
        QDialog::keyPressEvent(event);
}
