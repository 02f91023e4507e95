// The bodies of the plain-text and HTML export files: a heading per category
// followed by its links, one stream write per category.
#include "store/Db_sqlite.h"
#include "platform/OutputFile.h"

std::string HtmlEscape(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

namespace {

void AppendTextBody(std::string& body, const std::string& name)
{
    body += "[";
    body += name;
    body += "]\n";
    for (const LinkItem& l : LinkItems) {
        body += l.link;
        body += "\n";
    }
}

void AppendHtmlBody(std::string& body, const std::string& name)
{
    body += "<p>[";
    body += HtmlEscape(name);
    body += "]</p>\n";
    for (const LinkItem& l : LinkItems) {
        const std::string link = HtmlEscape(l.link);
        body += "<A href=\"";
        body += link;
        body += "\">";
        body += link;
        body += "</A> ";
        body += HtmlEscape(l.descr);
        body += "<br>\n";
    }
}

}  // namespace

int SQLiteClass::ExportBody(std::ostream& out, int catId, bool html)
{
    // CatItems is walked by index: the link reads below only refill LinkItems.
    for (std::size_t i = 0; i < CatItems.size(); ++i) {
        const CatItem category = CatItems[i];
        if (catId != -1 && category.id != catId)
            continue;
        LinkItems.clear();
        // A failed read has closed the connection: the export ends here.
        if (GetLinks(category.id) != 0)
            return 1;
        std::string body;
        if (html)
            AppendHtmlBody(body, category.name);
        else
            AppendTextBody(body, category.name);
        out.write(body.data(), static_cast<std::streamsize>(body.size()));
        if (!out)
            throw EWriteError();
    }
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
