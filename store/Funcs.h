// Tagged fields, folders and the list-box helpers shared by the store and the window.
//
// A tagged line is a row of fields "<x>value</x>". Values are escaped inside a
// line ("&" as "&amp;", "<" as "&lt;"), so a value can hold any text, tag text
// included: GetTagValue returns the raw value, SetTagValue and the line builders
// escape what they put in.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The closing form of a tag: "<p>" gives "</p>".
std::string ClosingTag(const std::string& tag);

// Where the first of chars stands in text, npos when none: one memchr per
// character, each over no more of the text than the one before, which is
// far quicker than std::string_view::find_first_of on text without them.
std::size_t FindFirstOf(std::string_view text, std::string_view chars);

// "&" -> "&amp;", "<" -> "&lt;" / back again.
std::string EscapeTagValue(const std::string& value);
std::string UnescapeTagValue(const std::string& value);

// The text between the first opening tag and the first closing tag of that
// field anywhere in the line, unescaped; "" when either is absent or the
// closing tag does not follow the opening one.
std::string GetTagValue(const std::string& line, const std::string& tag);

// The same, without unescaping: for files that were written without escapes.
std::string GetRawTagValue(const std::string& line, const std::string& tag);

// The line with the first field of that tag holding value (escaped); "" when
// the opening tag is absent.
std::string SetTagValue(const std::string& line, const std::string& value, const std::string& tag);

// Every occurrence of from replaced by to, left to right without overlap; an
// empty from leaves text unchanged.
std::string ReplaceAll(const std::string& text, const std::string& from, const std::string& to);

// Line builders: ids and positions in decimal, texts escaped.
std::string CategoryLine(int id, int pos, const std::string& name, const std::string& descr);
std::string LinkLine(int id, int catId, int pos, std::string_view link, std::string_view descr);

// The system temp folder, canonical, ending with "/"; "" when it does not exist.
std::string GetTempDir();

// The user's application-data folder without a trailing "/"; "" when unknown.
std::string GetAppDataDir();

// Deletes everything inside folder (ending with "/"), depth first; the folder
// itself stays. Symbolic links are removed, never followed, the folder given
// included. Nothing is reported.
void EmptyFolder(const std::string& folder);

// What the two list-box helpers need of a list box: its item texts, the
// focused row and the selection. The window's lists implement it.
class ListBoxLines {
public:
    virtual ~ListBoxLines() = default;
    virtual int Count() const = 0;
    virtual std::string Item(int index) const = 0;
    virtual void Append(const std::string& line) = 0;
    virtual void Replace(int index, const std::string& line) = 0;
    virtual void DeleteLast() = 0;
    virtual int ItemIndex() const = 0;
    virtual void SetItemIndex(int index) = 0;
    virtual bool Selected(int index) const = 0;
    virtual void SetSelected(int index, bool selected) = 0;
};

// The largest "<p>" among the box's items, never below 0. EConvertError on an
// item whose "<p>" is no whole number.
int MaxPosInListBox(const ListBoxLines& box);
// The position of a new item after the box's items: MaxPosInListBox + 1, or
// MaxPosInListBox itself at INT_MAX (the store then makes room when it adds
// the item after the last one).
int PosAfterListBox(const ListBoxLines& box);

// Brings the box in step with lines (deleting from the end, appending at the
// end, rewriting only the items that differ) and focuses and selects the last
// line whose "<i>" is selectId (-1: the last line; none: the first line).
void SyncListBoxLines(ListBoxLines& box, const std::vector<std::string>& lines, int selectId);

// The row that SyncListBoxLines focuses and selects for these lines: the last
// whose "<i>" is selectId (-1: the last line's id), else 0. EConvertError on
// a line whose "<i>" is no whole number.
int SyncSelectionRow(const std::vector<std::string>& lines, int selectId);
