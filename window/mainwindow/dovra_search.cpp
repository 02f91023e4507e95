// The two searches: in the links the list shows ("Szukaj linków w
// kategorii") and in the whole catalogue ("Szukaj linków w katalogu").
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "platform/Convert.h"
#include "platform/Cp1250.h"
#include "platform/HandlerGuard.h"
#include "platform/QtText.h"
#include "store/Funcs.h"
#include "window/dialogs/CatalogueSearchDialog.h"
#include "window/dialogs/SearchLinksDialog.h"
#include "window/mainwindow/dovra_.h"
#include "window/widgets/LineListBox.h"

namespace {

constexpr int kSearchImage = 18;
constexpr int kGoToImage = 22;
constexpr int kCancelImage = 2;

// The rows whose link (inLinks) or description (inDescriptions) contains
// text, ascending. An empty text is found nowhere.
std::vector<int> MatchingRows(const std::vector<std::string>& lines, const std::string& text, bool inLinks,
                              bool inDescriptions, bool ignoreCase)
{
    std::vector<int> rows;
    if (text.empty())
        return rows;
    const auto contains = [&](const std::string& line, const char* tag) {
        const std::string field = GetTagValue(line, tag);
        return (ignoreCase ? platform::LowerCase(field) : field).find(text) != std::string::npos;
    };
    for (std::size_t row = 0; row < lines.size(); ++row)
        if ((inLinks && contains(lines[row], "<l>")) || (inDescriptions && contains(lines[row], "<d>")))
            rows.push_back(static_cast<int>(row));
    return rows;
}

int IdOfLine(const std::string& line)
{
    return StrToInt(GetTagValue(line, "<i>"));
}

}  // namespace

void TForm1::ConnectSearchCommands()
{
    OnTriggered(Szukajlinkuwkategorii1, &TForm1::Szukajlinkuwkategorii1Click);
    OnTriggered(Szukaj1, &TForm1::Szukaj1Click);
    OnTriggered(ToolButton29, &TForm1::Szukaj1Click);
}

void TForm1::Szukajlinkuwkategorii1Click()
{
    platform::BusyGuard busy(Busy);
    SearchRequested = false;
    {
        TForm8 dialog(*this);
        dialog.exec();
    }
    if (SearchRequested) {
        const std::vector<std::string>& lines = ListBox1->Lines();
        const bool ignoreCase = !SearchCaseSensitive;
        // The text is kept in small letters once a row has been compared.
        if (ignoreCase && !lines.empty())
            SearchText = platform::LowerCase(SearchText);
        const std::vector<int> rows = MatchingRows(lines, SearchText, SearchInLinks, SearchInDescriptions, ignoreCase);
        ListBox1->SetSelectedRows(rows);
        if (!rows.empty())
            ListBox1->SetItemIndex(rows.back());
    }
    SearchRequested = false;
}

void TForm1::Szukaj1Click()
{
    platform::BusyGuard busy(Busy);
    TForm9 dialog(*this);
    dialog.ArchiveFolder = ArchiveFolder;
    dialog.BitBtn3->setIcon(ImageList1.Icon(kSearchImage));
    dialog.BitBtn1->setIcon(ImageList1.Icon(kGoToImage));
    dialog.BitBtn2->setIcon(ImageList1.Icon(kCancelImage));
    dialog.Edit1->setText(platform::ToQString(SearchText));
    dialog.CheckBox1->setChecked(SearchInLinks);
    dialog.CheckBox2->setChecked(SearchInDescriptions);
    dialog.CheckBox3->setChecked(SearchCaseSensitive);
    dialog.exec();
    if (!dialog.LinksDeleted)
        return;
    // Reload the shown links, keeping the focused link when it still exists.
    const int row = ListBox1->ItemIndex();
    const int selectId = row >= 0 ? IdOfLine(ListBox1->Item(row)) : (UstPoz == 0 ? 0 : -1);
    if (ListBox2->ItemIndex() >= 0)
        LoadLinks(SelectedCategoryId(), selectId);
}

void TForm1::SelectCategoryOrAll(int catId)
{
    const int row = ListBox2->ItemIndex();
    if (row >= 0 && CategoryIdOfRow(row) == catId)
        return;
    const int all = ListBox2->Count() - 1;
    ListBox2->SetSelectedRows({all});
    ListBox2->SetItemIndex(all);
}

void TForm1::SelectLinkById(int linkId)
{
    std::vector<int> rows;
    const std::vector<std::string>& lines = ListBox1->Lines();
    for (std::size_t row = 0; row < lines.size(); ++row)
        if (IdOfLine(lines[row]) == linkId)
            rows.push_back(static_cast<int>(row));
    ListBox1->SetSelectedRows(rows);
    if (!rows.empty())
        ListBox1->SetItemIndex(rows.front());
}
