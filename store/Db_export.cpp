// The bodies of the plain-text and HTML export files: a heading per category
// followed by its links, one stream write per category. In HTML the link is
// the visible text as stored and, mended only where a browser would not open
// it, the address.
#include "store/Db_sqlite.h"

#include "platform/Cp1250.h"
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

// "www." or "WWW." (host names ignore case).
bool StartsWithWww(const std::string& link)
{
    const auto w = [&link](std::size_t i) { return link[i] == 'w' || link[i] == 'W'; };
    return link.size() >= 4 && w(0) && w(1) && w(2) && link[3] == '.';
}

bool HasHighBytes(const std::string& link)
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
// one: "www.x.pl" would be a file beside the page, so it gets "http://";
// a byte above 127 would reach the server as a Windows-1250 byte, so it is
// written as the percent-encoded UTF-8 of its character (a byte the code
// page leaves undefined percent-encoded as it is). Everything else, "%"
// sequences included, stays as stored.
std::string BrowserAddress(const std::string& link)
{
    std::string out = StartsWithWww(link) ? "http://" : "";
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
        const bool sameAddress = !StartsWithWww(l.link) && !HasHighBytes(l.link);
        body += "<A href=\"";
        body += sameAddress ? link : HtmlEscape(BrowserAddress(l.link));
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
