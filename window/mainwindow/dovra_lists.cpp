// The category list, the link list and the column header over the links.
#include <algorithm>
#include <utility>

#include <QAction>
#include <QEvent>
#include <QHeaderView>
#include <QPainter>

#include "platform/Convert.h"
#include "platform/QtText.h"
#include "store/Db_funcs.h"
#include "store/Funcs.h"
#include "window/mainwindow/dovra_.h"
#include "window/widgets/LineListBox.h"
#include "window/widgets/RowPainting.h"

namespace {

const std::string kUncategorisedLine = "<i>0</i><p>0</p><n>Bez kategorii</n><d>Bez kategorii</d>";
const std::string kAllCategoriesLine = "<i>-1</i><p>-1</p><n>Wszystkie</n><d>Wszystkie</d>";

QString FieldText(const std::string& line, const char* tag)
{
    return platform::ToQString(GetTagValue(line, tag));
}

}  // namespace

int TForm1::LoadCategories(int selectId)
{
    Lines lines{kUncategorisedLine};
    const int result = DbGetCategories(ArchiveFolder, lines);
    lines.push_back(kAllCategoriesLine);
    ListBox2->SyncLines(std::move(lines), selectId);
    return result;
}

int TForm1::LoadLinks(int catId, int selectId)
{
    Lines lines;
    int result = DbOk;
    if (catId != -1 || !keptLinks_.Take(ArchiveFolder, lines))
        result = DbGetLinks(ArchiveFolder, lines, catId);
    if (result == DbOk)
        keptLinks_.Loaded(*ListBox1, ListBox1->SyncLines(std::move(lines), selectId), catId, ArchiveFolder);
    return result;
}

int TForm1::CategoryIdOfRow(int row) const
{
    return StrToInt(GetTagValue(ListBox2->Item(row), "<i>"));
}

int TForm1::SelectedCategoryId() const
{
    const int index = ListBox2->ItemIndex();
    if (index < 0 || index == ListBox2->Count() - 1)
        return -1;
    return CategoryIdOfRow(index);
}

void TForm1::ListBox2Click()
{
    platform::BusyGuard busy(Busy);
    if (ListBox2->ItemIndex() < 0) {
        ListBox1->Clear();
        return;
    }
    const int id = SelectedCategoryId();
    const bool storedCategory = id != 0 && id != -1;
    Zmienazw1->setEnabled(storedCategory);
    Usutkategori1->setEnabled(storedCategory);
    if (id == -1)
        DisableLinkCommands();
    else
        EnableLinkCommands();
    LoadLinks(id, UstPoz == 0 ? 0 : -1);
}

void TForm1::ListBox1DrawItem(QPainter& painter, const QRect& rect, int index, bool selected)
{
    const std::string line = ListBox1->Item(index);
    const QColor base = ListBox1->Color();
    const int w = ImageList1.Width();
    const int s = HeaderControl1->sectionSize(0);

    rows::FillRow(painter, rect, base, index, selected);
    const std::string link = GetTagValue(line, "<l>");
    rows::TextOut(painter, rect.left() + w + 4, rect.top() + 1, platform::ToQString(link));
    ImageList1.Draw(painter, rect.left() + 2, rect.top() + 1, rows::LinkImage(link));

    // The description column covers whatever of the link ran past the first
    // column, so a long link is shown cut at the column edge.
    const int x2 = rect.left() + 2 + s - 4;
    rows::FillRow(painter, QRect(QPoint(x2, rect.top()), rect.bottomRight()), base, index, selected);
    rows::TextOut(painter, x2 + 6, rect.top() + 1, FieldText(line, "<d>"));
}

void TForm1::ListBox2DrawItem(QPainter& painter, const QRect& rect, int index, bool selected)
{
    rows::PaintImageTextRow(painter, rect, ListBox2->Color(), index, selected, ImageList1, rows::kCategoryImage,
                            FieldText(ListBox2->Item(index), "<n>"));
}

void TForm1::HeaderControl1SectionResize(int section)
{
    if (section == 0 && !applyingPasek_)
        Pasek = HeaderControl1->width() - HeaderControl1->sectionSize(0);
    ListBox1->viewport()->update();
}

void TForm1::FormResize()
{
    applyingPasek_ = true;
    // A stored width wider than the header leaves the link column empty.
    HeaderControl1->resizeSection(0, std::max(0, HeaderControl1->width() - Pasek));
    applyingPasek_ = false;
    ListBox1->viewport()->update();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    // The header follows the window's width; the description column keeps
    // its width and the link column takes the change.
    if (watched == HeaderControl1 && event->type() == QEvent::Resize)
        platform::RunGuarded(boxes, [this] { FormResize(); });
    return QMainWindow::eventFilter(watched, event);
}

namespace {

// The link commands that the AllCategories row switches off: menu items are
// hidden (they then answer no shortcut either), the search in the category
// and the toolbar buttons are disabled.
void SwitchLinkCommands(TForm1& form, bool on)
{
    form.Szukajlinkuwkategorii1->setEnabled(on);
    for (QAction* item :
         {form.Zmieopis1, form.Zmielink1, form.Usutenlink1, form.Dodajlinkzeschowka1, form.Dodajnowylink1,
          form.Dodajlinkizpliku1, form.Sortujlinkiwkategorii1, form.Szukajpowtrek1,
          form.Przeniewybranelinkidoinnejkategorii1, form.Przesuzaznaczonelinkiwgr1, form.Przesuzaznaczonelinkiwd1})
        item->setVisible(on);
    for (QAction* button :
         {form.ToolButton1, form.ToolButton2, form.ToolButton3, form.ToolButton10, form.ToolButton11, form.ToolButton17,
          form.ToolButton18, form.ToolButton22, form.ToolButton23, form.ToolButton24, form.ToolButton25})
        button->setEnabled(on);
}

}  // namespace

void TForm1::DisableLinkCommands()
{
    SwitchLinkCommands(*this, false);
}

void TForm1::EnableLinkCommands()
{
    SwitchLinkCommands(*this, true);
}
