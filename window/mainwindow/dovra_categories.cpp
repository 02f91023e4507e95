// The category list's commands: add, rename, reorder and delete categories.
// The two rows the program adds itself, "Bez kategorii" first and
// "Wszystkie" last, are never renamed, deleted or moved.
#include <QAction>
#include <QPushButton>

#include "platform/Convert.h"
#include "platform/HandlerGuard.h"
#include "platform/QtText.h"
#include "store/Db_funcs.h"
#include "store/Funcs.h"
#include "window/dialogs/CategoryOrderDialog.h"
#include "window/mainwindow/dovra_.h"
#include "window/widgets/LineListBox.h"

namespace {

const std::string kNameTag = "<n>";

// Glyphs of the order dialog's "Anuluj" and "OK".
constexpr int kCancelImage = 2;
constexpr int kOkImage = 22;

// A row of a stored category: neither the first nor the last row.
bool IsStoredCategoryRow(const LineListBox& list, int row)
{
    return row > 0 && row < list.Count() - 1;
}

}  // namespace

void TForm1::BuildCategoryLine(std::string& name)
{
    name = CategoryLine(-1, PosAfterListBox(*ListBox2), name, std::string());
}

void TForm1::Dodajnowkategori1Click()
{
    platform::BusyGuard busy(Busy);
    std::string name = platform::FromQString(boxes.InputBox(
        QStringLiteral("Nazwa kategorii"), QStringLiteral("Proszę podać nazwę dla nowej kategorii : "), QString()));
    if (name.empty())
        return;
    const int keepId = SelectedCategoryId();
    BuildCategoryLine(name);
    // The store puts it after the last category, also when that one stands
    // at the largest position there is.
    DbAppendCategories(ArchiveFolder, {name});
    LoadCategories(keepId);
}

void TForm1::Zmienazw1Click()
{
    platform::BusyGuard busy(Busy);
    const int row = ListBox2->ItemIndex();
    if (!IsStoredCategoryRow(*ListBox2, row))
        return;
    const std::string line = ListBox2->Item(row);
    const std::string old = GetTagValue(line, kNameTag);
    const std::string name = platform::FromQString(
        boxes.InputBox(QStringLiteral("Zmiana nazwy kategorii"),
                       QStringLiteral("Proszę podać nową nazwę dla kategorii : "), platform::ToQString(old)));
    if (name.empty() || name == old)
        return;
    const int id = CategoryIdOfRow(row);
    DbUpdateCategories(ArchiveFolder, {SetTagValue(line, name, kNameTag)});
    LoadCategories(id);
}

void TForm1::Kolejno1Click()
{
    platform::BusyGuard busy(Busy);
    if (ListBox2->Count() <= 3)
        return;
    const int keepId = ListBox2->ItemIndex() >= 0 ? SelectedCategoryId() : 0;
    {
        TForm4 dialog(this, boxes, ImageList1);
        dialog.ArchiveFolder = ArchiveFolder;
        Lines lines = ListBox2->Lines();
        lines.pop_back();
        lines.erase(lines.begin());
        dialog.SetCategoryLines(lines);
        dialog.BitBtn4->setIcon(ImageList1.Icon(kCancelImage));
        dialog.BitBtn5->setIcon(ImageList1.Icon(kOkImage));
        dialog.exec();
    }
    LoadCategories(keepId);
}

void TForm1::Usutkategori1Click()
{
    platform::BusyGuard busy(Busy);
    const int row = ListBox2->ItemIndex();
    if (!IsStoredCategoryRow(*ListBox2, row))
        return;
    const std::string line = ListBox2->Item(row);
    const QString question =
        QStringLiteral("Czy napewno usunąć kategorię :\n") + platform::ToQString(GetTagValue(line, kNameTag));
    const unsigned flags = platform::MbYesNo | platform::MbIconExclamation;
    if (boxes.MessageBox(this, question, QStringLiteral("Zapytanie"), flags) != platform::IdYes)
        return;
    // The row above when the last stored category goes, else the row below.
    const int nextId = CategoryIdOfRow(row == ListBox2->Count() - 2 ? row - 1 : row + 1);
    if (!CategoriesStored(DbDeleteCategories(ArchiveFolder, {line}), CategoryIdOfRow(row)))
        return;
    LoadCategories(nextId);
    ListBox2Click();
}
