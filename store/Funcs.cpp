#include "store/Funcs.h"

#include <charconv>
#include <climits>
#include <cstring>
#include <filesystem>

#include "platform/Convert.h"
#include "platform/Files.h"

namespace fs = std::filesystem;

namespace {

struct FieldSpan {
    std::size_t valueStart;  // just after the opening tag
    std::size_t closing;     // where the first closing tag stands, npos when absent
};

// Locates the first opening tag and the first closing tag of that field
// anywhere in the line; false when the opening tag is absent.
bool FindField(const std::string& line, const std::string& tag, FieldSpan& span)
{
    if (tag.empty())
        return false;
    const std::size_t open = line.find(tag);
    if (open == std::string::npos)
        return false;
    span.valueStart = open + tag.size();
    span.closing = line.find(ClosingTag(tag));
    return true;
}

}  // namespace

std::string ClosingTag(const std::string& tag)
{
    if (tag.empty())
        return "/";
    return tag.substr(0, 1) + "/" + tag.substr(1);
}

std::size_t FindFirstOf(std::string_view text, std::string_view chars)
{
    std::size_t end = text.size();
    for (const char c : chars)
        if (const void* found = end == 0 ? nullptr : std::memchr(text.data(), c, end))
            end = static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
    return end == text.size() ? std::string_view::npos : end;
}

namespace {

// Where the first '&' or '<' of value stands, npos when it has none.
std::size_t FirstToEscape(std::string_view value)
{
    return FindFirstOf(value, "&<");
}

// Appends value with '&' and '<' escaped, the runs between them whole; first
// is FirstToEscape(value).
void AppendEscaped(std::string& out, std::string_view value, std::size_t first)
{
    std::size_t start = 0;
    for (std::size_t i = first; i < value.size(); ++i) {
        if (value[i] != '&' && value[i] != '<')
            continue;
        out.append(value, start, i - start);
        out += value[i] == '&' ? "&amp;" : "&lt;";
        start = i + 1;
    }
    out.append(value, start);
}

// The size of value escaped; first is FirstToEscape(value).
std::size_t EscapedSize(std::string_view value, std::size_t first)
{
    std::size_t size = value.size();
    for (std::size_t i = first; i < value.size(); ++i)
        size += value[i] == '&' ? 4 : value[i] == '<' ? 3 : 0;
    return size;
}

std::size_t IntSize(int value)
{
    char digits[16];
    return static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, value).ptr - digits);
}

void AppendInt(std::string& out, int value)
{
    char digits[16];
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, end.ptr);
}

}  // namespace

std::string EscapeTagValue(const std::string& value)
{
    const std::size_t first = FirstToEscape(value);
    if (first == std::string_view::npos)
        return value;
    std::string out;
    out.reserve(EscapedSize(value, first));
    AppendEscaped(out, value, first);
    return out;
}

std::string UnescapeTagValue(const std::string& value)
{
    if (value.find('&') == std::string::npos)
        return value;
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value.compare(i, 5, "&amp;") == 0) {
            out += '&';
            i += 4;
        } else if (value.compare(i, 4, "&lt;") == 0) {
            out += '<';
            i += 3;
        } else {
            out += value[i];
        }
    }
    return out;
}

std::string GetRawTagValue(const std::string& line, const std::string& tag)
{
    FieldSpan span;
    if (!FindField(line, tag, span) || span.closing == std::string::npos || span.closing <= span.valueStart)
        return "";
    return line.substr(span.valueStart, span.closing - span.valueStart);
}

std::string GetTagValue(const std::string& line, const std::string& tag)
{
    return UnescapeTagValue(GetRawTagValue(line, tag));
}

std::string SetTagValue(const std::string& line, const std::string& value, const std::string& tag)
{
    FieldSpan span;
    if (!FindField(line, tag, span))
        return "";
    // Without a closing tag the whole line follows the value, as it always has.
    const std::string tail = span.closing == std::string::npos ? line : line.substr(span.closing);
    return line.substr(0, span.valueStart) + EscapeTagValue(value) + tail;
}

std::string ReplaceAll(const std::string& text, const std::string& from, const std::string& to)
{
    if (from.empty())
        return text;
    std::string done;
    std::size_t start = 0;
    for (std::size_t p = text.find(from); p != std::string::npos; p = text.find(from, start)) {
        done.append(text, start, p - start);
        done += to;
        start = p + from.size();
    }
    done.append(text, start, std::string::npos);
    return done;
}

std::string CategoryLine(int id, int pos, const std::string& name, const std::string& descr)
{
    std::string line;
    line.reserve(40 + name.size() + descr.size());
    line += "<i>";
    line += IntToStr(id);
    line += "</i><p>";
    line += IntToStr(pos);
    line += "</p><n>";
    line += EscapeTagValue(name);
    line += "</n><d>";
    line += EscapeTagValue(descr);
    line += "</d>";
    return line;
}

std::string LinkLine(int id, int catId, int pos, std::string_view link, std::string_view descr)
{
    // Built in place at its exact size: the window's link list is made of a
    // whole catalogue of these.
    const std::size_t linkFirst = FirstToEscape(link);
    const std::size_t descrFirst = FirstToEscape(descr);
    std::string line;
    line.reserve(35 + IntSize(id) + IntSize(catId) + IntSize(pos) + EscapedSize(link, linkFirst) +
                 EscapedSize(descr, descrFirst));
    line += "<i>";
    AppendInt(line, id);
    line += "</i><c>";
    AppendInt(line, catId);
    line += "</c><p>";
    AppendInt(line, pos);
    line += "</p><l>";
    AppendEscaped(line, link, linkFirst);
    line += "</l><d>";
    AppendEscaped(line, descr, descrFirst);
    line += "</d>";
    return line;
}

std::string GetTempDir()
{
    const std::string dir = platform::SystemTempFolder();
    if (dir.empty())
        return "";
    return dir.back() == '/' ? dir : dir + "/";
}

std::string GetAppDataDir()
{
    return platform::UserDataFolder();
}

void EmptyFolder(const std::string& folder)
{
    std::error_code ec;
    // A link given as the folder is removed, never followed: what it points to
    // is not ours to empty.
    std::string trimmed = folder;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    if (fs::is_symlink(trimmed, ec)) {
        fs::remove(trimmed, ec);
        return;
    }
    if (!fs::is_directory(trimmed, ec))
        return;
    fs::directory_iterator it(trimmed, ec);
    if (ec)
        return;
    for (const fs::directory_entry& entry : it) {
        const fs::path path = entry.path();
        std::error_code entryEc;
        if (entry.is_directory(entryEc) && !entry.is_symlink(entryEc)) {
            EmptyFolder(path.string() + "/");
            fs::remove(path, entryEc);
        } else {
            // Make the entry writable first where it is not, as the owner.
            if (!entry.is_symlink(entryEc))
                fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, entryEc);
            fs::remove(path, entryEc);
        }
    }
}

int MaxPosInListBox(const ListBoxLines& box)
{
    int max = 0;
    const int count = box.Count();
    for (int i = 0; i < count; ++i) {
        const int v = StrToInt(GetTagValue(box.Item(i), "<p>"));
        if (v > max)
            max = v;
    }
    return max;
}

int PosAfterListBox(const ListBoxLines& box)
{
    const int last = MaxPosInListBox(box);
    return last < INT_MAX ? last + 1 : last;
}

void SyncListBoxLines(ListBoxLines& box, const std::vector<std::string>& lines, int selectId)
{
    if (selectId == -1 && !lines.empty())
        selectId = StrToInt(GetTagValue(lines.back(), "<i>"));
    const int count = static_cast<int>(lines.size());
    while (box.Count() > count)
        box.DeleteLast();
    int sel = 0;
    for (int i = 0; i < count; ++i) {
        const std::string& line = lines[static_cast<std::size_t>(i)];
        if (StrToInt(GetTagValue(line, "<i>")) == selectId)
            sel = i;
        if (i >= box.Count())
            box.Append(line);
        else if (box.Item(i) != line)
            box.Replace(i, line);
        box.SetSelected(i, false);
    }
    if (box.Count() > 0) {
        box.SetItemIndex(sel);
        box.SetSelected(sel, true);
    }
}

namespace {

// StrToInt of the line's "<i>" value. A line that begins with a plain
// decimal id, as every line the store builds does, is read in place.
int LineId(const std::string& line)
{
    if (line.compare(0, 3, "<i>") == 0) {
        std::size_t p = 3;
        const bool negative = p < line.size() && line[p] == '-';
        if (negative)
            ++p;
        const std::size_t digits = p;
        int value = 0;
        while (p < line.size() && p - digits < 9 && line[p] >= '0' && line[p] <= '9')
            value = value * 10 + (line[p++] - '0');
        if (p > digits && line.compare(p, 4, "</i>") == 0)
            return negative ? -value : value;
    }
    return StrToInt(GetTagValue(line, "<i>"));
}

}  // namespace

int SyncSelectionRow(const std::vector<std::string>& lines, int selectId)
{
    if (selectId == -1 && !lines.empty())
        selectId = LineId(lines.back());
    int sel = 0;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (LineId(lines[i]) == selectId)
            sel = static_cast<int>(i);
    return sel;
}
