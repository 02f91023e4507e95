// Where the links of the shown category stand: sort them, find and delete
// their repeats, move the selected ones up or down or into another category.
#include <QAction>
#include <QComboBox>
#include <QPushButton>

#include "platform/Convert.h"
#include "platform/HandlerGuard.h"
#include "platform/QtText.h"
#include "store/Db_funcs.h"
#include "store/Funcs.h"
#include "window/dialogs/MoveLinksDialog.h"
#include "window/logic/LinkOrder.h"
#include "window/mainwindow/dovra_.h"
#include "window/widgets/LineListBox.h"

namespace {

const std::string kIdTag = "<i>";

// Glyphs of the move dialog's buttons.
constexpr int kCancelImage = 2;
constexpr int kMoveImage = 20;

}  // namespace

void TForm1::Sortujlinkiwkategorii1Click()
{
    platform::BusyGuard busy(Busy);
    const int categoryRow = ListBox2->ItemIndex();
    if (categoryRow < 0 || categoryRow == ListBox2->Count() - 1)
        return;
    const int focusRow = ListBox1->ItemIndex();
    if (focusRow < 0)
        return;  // no links, nothing to sort
    const int linkId = StrToInt(GetTagValue(ListBox1->Item(focusRow), kIdTag));
    const int catId = CategoryIdOfRow(categoryRow);
    DbSortLinksByName(ArchiveFolder, catId);
    LoadLinks(catId, linkId);
}

void TForm1::Szukajpowtrek1Click()
{
    platform::BusyGuard busy(Busy);
    const Lines lines = ListBox1->Lines();
    const linkorder::DuplicateLinks found = linkorder::FindDuplicateLinks(lines);
    if (found.rows.empty())
        return;
    const QString question = QStringLiteral("Znaleziono ") + QString::number(found.rows.size()) +
        QStringLiteral(" powtarzających się linków\n") + platform::ToQString(found.listing) +
        QStringLiteral("Czu usunąć je ?");
    if (boxes.MessageBox(this, question, QStringLiteral("Zapytanie"), platform::MbYesNo | platform::MbIconQuestion) !=
        platform::IdYes)
        return;
    DbDeleteLinks(ArchiveFolder, linkorder::LinesOfRows(lines, found.rows));
    LoadLinks(SelectedCategoryId(), 0);
}

void TForm1::ApplyLinkMove(const linkorder::LinkMove& move)
{
    if (!move.moved)
        return;
    // The list shows the new order only once the store holds it.
    if (!LinksStored(DbSaveLinkOrder(ArchiveFolder, move.changedLines), FocusedLinkId()))
        return;
    for (std::size_t k = 0; k < move.changedRows.size(); ++k)
        ListBox1->Replace(move.changedRows[k], move.changedLines[k]);
    ListBox1->SetSelectedRows(move.selectedRows);
    if (move.focusRow >= 0)
        ListBox1->SetItemIndex(move.focusRow);
    ListBox1->viewport()->update();
}

void TForm1::Przesuzaznaczonelinkiwgr1Click()
{
    ApplyLinkMove(linkorder::MoveSelectedUp(ListBox1->Lines(), ListBox1->SelectedRows(), ListBox1->ItemIndex()));
}

void TForm1::Przesuzaznaczonelinkiwd1Click()
{
    ApplyLinkMove(linkorder::MoveSelectedDown(ListBox1->Lines(), ListBox1->SelectedRows(), ListBox1->ItemIndex()));
}

void TForm1::GetSelectedLinks(std::vector<std::string>& lines) const
{
    for (int row : ListBox1->SelectedRows())
        lines.push_back(ListBox1->Item(row));
}

void TForm1::Przeniewybranelinkidoinnejkategorii1Click()
{
    platform::BusyGuard busy(Busy);
    const int categoryRow = ListBox2->ItemIndex();
    if (ListBox2->Count() <= 2 || categoryRow < 0 || ListBox1->SelCount() == 0)
        return;
    Lines lines;
    GetSelectedLinks(lines);

    int targetId = -1;
    {
        TForm7 dialog(this, ImageList1, boxes);
        dialog.BitBtn1->setIcon(ImageList1.Icon(kCancelImage));
        dialog.BitBtn2->setIcon(ImageList1.Icon(kMoveImage));
        dialog.CurrentCategoryIndex = categoryRow;
        // Every category but "Wszystkie"; combo row k is category row k.
        dialog.SetItems(ListBox2->Lines());
        dialog.DeleteLast();
        dialog.ComboBox1->setCurrentIndex(categoryRow != ListBox2->Count() - 1 ? categoryRow : 0);
        dialog.ResultCategoryId = &targetId;
        dialog.exec();
    }
    if (targetId < 0)
        return;
    if (LinksStored(DbMoveLinks(ArchiveFolder, lines, targetId), FocusedLinkId()))
        ListBox1->DeleteSelected();
}
