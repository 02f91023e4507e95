// The bodies of the plain-text and HTML export files: a heading per category
// followed by its links, read in one ordered pass. In HTML the link is
// the visible text as stored and, mended only where a browser would not open
// it, the address.
#include "store/Db_sqlite.h"

#include <sqlite3.h>

#include <algorithm>
#include <map>
#include <string_view>
#include <unordered_map>

#include "platform/Cp1250.h"
#include "platform/LinkText.h"
#include "platform/OutputFile.h"
#include "store/Funcs.h"

namespace {

void AppendHtmlEscaped(std::string& out, std::string_view text)
{
    std::size_t start = 0;
    for (std::size_t i = FindFirstOf(text, "&<>\""); i < text.size(); ++i) {
        const char* entity = nullptr;
        switch (text[i]) {
        case '&':
            entity = "&amp;";
            break;
        case '<':
            entity = "&lt;";
            break;
        case '>':
            entity = "&gt;";
            break;
        case '"':
            entity = "&quot;";
            break;
        default:
            continue;
        }
        out.append(text, start, i - start);
        out += entity;
        start = i + 1;
    }
    out.append(text, start);
}

}  // namespace

std::string HtmlEscape(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    AppendHtmlEscaped(out, text);
    return out;
}

namespace {

bool HasHighBytes(std::string_view link)
{
    for (const char c : link)
        if (static_cast<unsigned char>(c) > 127)
            return true;
    return false;
}

void AppendPercent(std::string& out, unsigned char byte)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 15];
}

// The address a browser opens for a stored link, where the link text is not
// one: "www.x.pl" would be a file beside the page, so it gets "http://" by
// the opener's own rule (platform::NeedsHttpScheme);
// a byte above 127 would reach the server as a Windows-1250 byte, so it is
// written as the percent-encoded UTF-8 of its character (a byte the code
// page leaves undefined percent-encoded as it is). Everything else, "%"
// sequences included, stays as stored.
std::string BrowserAddress(std::string_view link)
{
    std::string out = platform::NeedsHttpScheme(link) ? "http://" : "";
    out.reserve(out.size() + link.size() + 16);
    for (const char c : link) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte <= 127) {
            out += c;
        } else if (platform::Cp1250ToCodePoint(byte) == 0xFFFD) {
            AppendPercent(out, byte);
        } else {
            for (const char u : platform::Cp1250ToUtf8(std::string(1, c)))
                AppendPercent(out, static_cast<unsigned char>(u));
        }
    }
    return out;
}

void AppendHeading(std::string& body, const std::string& name, bool html)
{
    if (!html) {
        body += "[";
        body += name;
        body += "]\n";
        return;
    }
    body += "<p>[";
    AppendHtmlEscaped(body, name);
    body += "]</p>\n";
}

void AppendLink(std::string& body, std::string_view link, std::string_view descr, bool html)
{
    if (!html) {
        body += link;
        body += "\n";
        return;
    }
    body += "<A href=\"";
    if (platform::NeedsHttpScheme(link) || HasHighBytes(link))
        AppendHtmlEscaped(body, BrowserAddress(link));
    else
        AppendHtmlEscaped(body, link);
    body += "\">";
    AppendHtmlEscaped(body, link);
    body += "</A> ";
    AppendHtmlEscaped(body, descr);
    body += "<br>\n";
}

void WriteOut(std::ostream& out, std::string& body)
{
    out.write(body.data(), static_cast<std::streamsize>(body.size()));
    if (!out)
        throw EWriteError();
    body.clear();
}

// The rank of each category id among the records written: the position of
// its first record. Registered on the connection as export_rank(CAT_ID) for
// its lifetime: -1 for a CAT_ID that is no written category's id, compared
// as the statement "CAT_ID=" + id would compare it (an integer or a whole
// real number equals the id, a text never).
class CategoryRanks {
public:
    CategoryRanks(sqlite3* db, const std::vector<const CatItem*>& written) : db_(db)
    {
        for (std::size_t i = 0; i < written.size(); ++i)
            ranks_.emplace(written[i]->id, static_cast<int>(i));
        registered_ = sqlite3_create_function(db_, "export_rank", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, this, &Rank,
                                              nullptr, nullptr) == SQLITE_OK;
    }
    ~CategoryRanks()
    {
        if (registered_)
            sqlite3_create_function(db_, "export_rank", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, nullptr,
                                    nullptr, nullptr);
    }
    CategoryRanks(const CategoryRanks&) = delete;
    CategoryRanks& operator=(const CategoryRanks&) = delete;

    bool Registered() const { return registered_; }

private:
    static void Rank(sqlite3_context* context, int, sqlite3_value** values)
    {
        const auto& ranks = static_cast<const CategoryRanks*>(sqlite3_user_data(context))->ranks_;
        long long id = 0;
        if (!IdOf(values[0], id)) {
            sqlite3_result_int(context, -1);
            return;
        }
        const auto found = ranks.find(id);
        sqlite3_result_int(context, found == ranks.end() ? -1 : found->second);
    }

    static bool IdOf(sqlite3_value* value, long long& id)
    {
        if (sqlite3_value_type(value) == SQLITE_INTEGER) {
            id = sqlite3_value_int64(value);
            return true;
        }
        if (sqlite3_value_type(value) != SQLITE_FLOAT)
            return false;
        const double real = sqlite3_value_double(value);
        if (!(real >= -2147483648.0 && real <= 2147483647.0) ||
            real != static_cast<double>(static_cast<long long>(real)))
            return false;
        id = static_cast<long long>(real);
        return true;
    }

    sqlite3* db_;
    std::unordered_map<long long, int> ranks_;
    bool registered_ = false;
};

// Finalizes a statement when it goes.
struct Statement {
    ~Statement() { sqlite3_finalize(handle); }
    sqlite3_stmt* handle = nullptr;
};

// A text column of the row as the row callbacks read it: NULL, or a column
// the table lacks, is empty; the text ends at its first NUL byte.
std::string_view TextAt(sqlite3_stmt* row, int column)
{
    if (column >= sqlite3_column_count(row))
        return {};
    const unsigned char* text = sqlite3_column_text(row, column);
    return text ? std::string_view(reinterpret_cast<const char*>(text)) : std::string_view();
}

// The records of CatItems that catId selects, in order.
std::vector<const CatItem*> WrittenCategories(int catId)
{
    std::vector<const CatItem*> written;
    for (const CatItem& category : CatItems)
        if (catId == -1 || category.id == catId)
            written.push_back(&category);
    return written;
}

// For each record, the index of the first record of its id: itself, or an
// earlier one whose links are written again under this heading (only the
// uncategorised record and a stored category of id 0 share an id).
std::vector<int> FirstOfSameId(const std::vector<const CatItem*>& written)
{
    std::unordered_map<int, int> first;
    std::vector<int> firstOf(written.size());
    for (std::size_t i = 0; i < written.size(); ++i)
        firstOf[i] = first.emplace(written[i]->id, static_cast<int>(i)).first->second;
    return firstOf;
}

constexpr std::size_t kWriteSize = 1 << 20;

// The link and the description of "select * from LINKS" (its 4th and 5th
// columns) as result columns of another statement: their names quoted, or
// NULL where the table has no such column (read as empty, as the row
// callbacks read it).
std::string LinkAndDescriptionColumns(sqlite3* db)
{
    Statement star;
    const bool prepared = sqlite3_prepare_v2(db, "select * from LINKS", -1, &star.handle, nullptr) == SQLITE_OK;
    const auto column = [&](int index) {
        if (!prepared || index >= sqlite3_column_count(star.handle))
            return std::string("NULL");
        std::string quoted = "\"";
        for (const char* c = sqlite3_column_name(star.handle, index); c && *c; ++c)
            quoted += *c == '"' ? std::string("\"\"") : std::string(1, *c);
        return quoted + "\"";
    };
    return column(3) + ", " + column(4);
}

// The links' query: the rank and the two texts written, so that the sort
// carries no more than it must.
std::string LinksSql(sqlite3* db)
{
    return "select export_rank(CAT_ID), " + LinkAndDescriptionColumns(db) +
        " from LINKS where export_rank(CAT_ID) >= 0 order by 1, POS";
}

// Writes the headings and links of the written records, reading the links
// in one ordered pass: ranked by their category's first record, then by
// position; rows of equal rank and position come in the table's order, as
// one query per category gives them. The links' columns are those of
// "select *" (LINK fourth, DESCR fifth). False, with SQLite's message in
// error, when the read fails; a failing write throws EWriteError.
bool WriteBody(sqlite3* db, std::ostream& out, const std::vector<const CatItem*>& written, bool html,
               std::string& error)
{
    const std::vector<int> firstOf = FirstOfSameId(written);
    const CategoryRanks ranks(db, written);
    Statement links;  // finalized before the function goes
    if (!ranks.Registered() || sqlite3_prepare_v2(db, LinksSql(db).c_str(), -1, &links.handle, nullptr) != SQLITE_OK) {
        error = sqlite3_errmsg(db);
        return false;
    }
    int step = sqlite3_step(links.handle);
    std::map<int, std::string> repeated;  // the link lines of a record whose id comes again
    std::string body;
    for (std::size_t i = 0; i < written.size(); ++i) {
        const int rank = static_cast<int>(i);
        AppendHeading(body, written[i]->name, html);
        if (firstOf[i] != rank) {
            body += repeated[firstOf[i]];
            WriteOut(out, body);
            continue;
        }
        const bool keep = std::find(firstOf.begin() + rank + 1, firstOf.end(), rank) != firstOf.end();
        for (; step == SQLITE_ROW && sqlite3_column_int(links.handle, 0) == rank; step = sqlite3_step(links.handle)) {
            const std::size_t lineStart = body.size();
            AppendLink(body, TextAt(links.handle, 1), TextAt(links.handle, 2), html);
            if (keep)
                repeated[rank].append(body, lineStart, std::string::npos);
            if (body.size() >= kWriteSize)
                WriteOut(out, body);
        }
        if (step != SQLITE_ROW && step != SQLITE_DONE) {
            error = sqlite3_errmsg(db);
            return false;
        }
        WriteOut(out, body);
    }
    return true;
}

}  // namespace

int SQLiteClass::ExportBody(std::ostream& out, int catId, bool html)
{
    const std::vector<const CatItem*> written = WrittenCategories(catId);
    if (written.empty())
        return 0;
    SortInSmallRuns(true);
    std::string error;
    if (!WriteBody(db, out, written, html, error)) {
        // As a failed query: the message, and the connection closed.
        Say(error);
        Close();
        return 1;
    }
    SortInSmallRuns(false);
    return 0;
}

int SQLiteClass::ExportText(std::ostream& out, int catId)
{
    return ExportBody(out, catId, false);
}

int SQLiteClass::ExportHtml(std::ostream& out, int catId)
{
    return ExportBody(out, catId, true);
}
