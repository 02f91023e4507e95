#include "window/dialogs/CategoryOrderDialog.h"

#include <QPushButton>

#include "platform/Boxes.h"
#include "platform/ButtonKeys.h"
#include "platform/ImageList.h"
#include "platform/QtText.h"
#include "store/Db_funcs.h"
#include "store/Funcs.h"
#include "window/widgets/LineListBox.h"
#include "window/widgets/RowPainting.h"

namespace {

constexpr int kClientWidth = 324;
constexpr int kClientHeight = 383;

// Images of the main window's image list shown on the glyph buttons.
constexpr int kMoveUpImage = 23;
constexpr int kMoveDownImage = 24;
constexpr int kSortImage = 17;

}  // namespace

TForm4::TForm4(QWidget* owner, platform::Boxes& boxes, const platform::ImageList& images)
    : GuardedDialog(owner, boxes,
                    Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                        Qt::MSWindowsFixedSizeDialogHint),
      images_(images)
{
    setWindowTitle(QStringLiteral("Zmiana kolejności kategorii"));
    setFixedSize(kClientWidth, kClientHeight);

    ListBox1 = new LineListBox(this);
    ListBox1->setGeometry(16, 16, 257, 321);
    ListBox1->SetMultiSelect(true);
    ListBox1->SetColor(QColor(255, 255, 249));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    ListBox1->setFont(font);
    ListBox1->SetItemHeight(18);
    ListBox1->SetDrawItem([this](QPainter& p, const QRect& r, int i, bool s) { ListBox1DrawItem(p, r, i, s); });

    BitBtn1 = Button(QRect(279, 72, 26, 26), QString(), QStringLiteral("Przesuń do góry"));
    BitBtn1->setIcon(images_.Icon(kMoveUpImage));
    BitBtn2 = Button(QRect(279, 102, 26, 26), QString(), QStringLiteral("Przesuń w dół"));
    BitBtn2->setIcon(images_.Icon(kMoveDownImage));
    BitBtn3 = Button(QRect(279, 152, 26, 26), QString(), QStringLiteral("Sortuj kategorie wg nazwy"));
    BitBtn3->setIcon(images_.Icon(kSortImage));
    BitBtn4 = Button(QRect(16, 343, 113, 26), QStringLiteral("Anuluj"), QString());
    BitBtn5 = Button(QRect(160, 343, 113, 26), QStringLiteral("OK"), QString());

    ConnectHandlers();
    FormCreate();
}

QPushButton* TForm4::Button(const QRect& place, const QString& caption, const QString& hint)
{
    auto* button = new QPushButton(caption, this);
    button->setGeometry(place);
    button->setToolTip(hint);
    // Enter presses no button of its own accord, only the focused one.
    platform::EnterClicksWhenFocused(button);
    return button;
}

void TForm4::ConnectHandlers()
{
    ConnectClick(BitBtn1, &TForm4::BitBtn1Click);
    ConnectClick(BitBtn2, &TForm4::BitBtn2Click);
    ConnectClick(BitBtn3, &TForm4::BitBtn3Click);
    ConnectClick(BitBtn4, &TForm4::BitBtn4Click);
    ConnectClick(BitBtn5, &TForm4::BitBtn5Click);
}

void TForm4::FormCreate()
{}

void TForm4::SetCategoryLines(const std::vector<std::string>& categoryLines)
{
    ListBox1->Clear();
    for (const std::string& line : categoryLines)
        ListBox1->Append(line);
}

std::vector<bool> TForm4::Selection() const
{
    std::vector<bool> selected;
    selected.reserve(static_cast<std::size_t>(ListBox1->Count()));
    for (int i = 0; i < ListBox1->Count(); ++i)
        selected.push_back(ListBox1->Selected(i));
    return selected;
}

void TForm4::ApplyOrder(const RowOrder& order)
{
    if (order.empty())
        return;
    const std::vector<std::string> lines = ApplyRowOrder(order, ListBox1->Lines());
    const std::vector<bool> selected = ApplyRowOrder(order, Selection());
    const int focused = ListBox1->ItemIndex();
    for (int i = 0; i < ListBox1->Count(); ++i) {
        const auto row = static_cast<std::size_t>(i);
        if (ListBox1->Item(i) != lines[row])
            ListBox1->Replace(i, lines[row]);
        ListBox1->SetSelected(i, selected[row]);
    }
    if (focused >= 0)
        ListBox1->SetItemIndex(NewPlaceOfRow(order, focused));
    ListBox1->viewport()->update();
}

void TForm4::BitBtn1Click()
{
    ApplyOrder(MoveSelectedRowsUp(Selection()));
}

void TForm4::BitBtn2Click()
{
    ApplyOrder(MoveSelectedRowsDown(Selection()));
}

void TForm4::BitBtn3Click()
{
    ApplyOrder(CategoryOrderByName(ListBox1->Lines()));
}

void TForm4::BitBtn4Click()
{
    reject();
}

void TForm4::BitBtn5Click()
{
    DbSaveCategoryOrder(ArchiveFolder, ListBox1->Lines());
    accept();
}

void TForm4::ListBox1DrawItem(QPainter& painter, const QRect& rect, int index, bool selected)
{
    const QString name = platform::ToQString(GetTagValue(ListBox1->Item(index), "<n>"));
    // The image stands one pixel higher than in the main window's list.
    rows::PaintImageTextRow(painter, rect, ListBox1->Color(), index, selected, images_, rows::kCategoryImage, name, 0);
}
