// What the window shows is what the catalogue holds. A command that changes
// a list before or without reloading it checks the store's answer; on any
// failure it reloads that list from the file, keeping the focused row's id,
// so the screen never shows a change that was not stored. The store has
// already shown its own message.
#include "Convert.h"
#include "Db_funcs.h"
#include "Funcs.h"
#include "LineListBox.h"
#include "dovra_.h"

int TForm1::FocusedLinkId() const
{
    const int row = ListBox1->ItemIndex();
    return row < 0 ? -1 : StrToInt(GetTagValue(ListBox1->Item(row), "<i>"));
}

bool TForm1::LinksStored(int result, int focusId)
{
    if (result == DbOk)
        return true;
    LoadLinks(SelectedCategoryId(), focusId);
    return false;
}

bool TForm1::CategoriesStored(int result, int focusId)
{
    if (result == DbOk)
        return true;
    if (LoadCategories(focusId) == DbOk)
        ListBox2Click();  // the category's links may have changed in part
    return false;
}
