#include "store/Like.h"

#include <sqlite3.h>

#include <array>
#include <string>

#include "platform/Cp1250.h"

namespace {

// Each byte's small letter in Windows-1250; other bytes map to themselves.
const std::array<unsigned char, 256>& FoldTable()
{
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> fold{};
        std::string bytes(256, '\0');
        for (int b = 0; b < 256; ++b)
            bytes[static_cast<std::size_t>(b)] = static_cast<char>(b);
        const std::string lower = platform::LowerCase(bytes);
        for (int b = 0; b < 256; ++b)
            fold[static_cast<std::size_t>(b)] = static_cast<unsigned char>(lower[static_cast<std::size_t>(b)]);
        return fold;
    }();
    return table;
}

// One pass with a single way back: after a "%" the match may restart one
// character further on. Enough for "%" and "_" alone, and linear for the
// usual "%text%".
template <class Same>
bool Match(std::string_view pattern, std::string_view text, Same same)
{
    std::size_t p = 0, t = 0;
    std::size_t afterPercent = std::string_view::npos, resumeAt = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '%') {
            afterPercent = ++p;
            resumeAt = t;
        } else if (p < pattern.size() && (pattern[p] == '_' || same(pattern[p], text[t]))) {
            ++p;
            ++t;
        } else if (afterPercent != std::string_view::npos) {
            p = afterPercent;
            t = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '%')
        ++p;
    return p == pattern.size();
}

void LikeFunction(sqlite3_context* context, int, sqlite3_value** argv)
{
    // X LIKE Y calls like(Y, X): the pattern comes first.
    const auto* pattern = sqlite3_value_text(argv[0]);
    const auto* text = sqlite3_value_text(argv[1]);
    if (!pattern || !text)
        return;  // NULL, as SQLite's own LIKE answers
    const std::string_view p(reinterpret_cast<const char*>(pattern),
                             static_cast<std::size_t>(sqlite3_value_bytes(argv[0])));
    const std::string_view t(reinterpret_cast<const char*>(text),
                             static_cast<std::size_t>(sqlite3_value_bytes(argv[1])));
    const bool ignoreCase = *static_cast<const bool*>(sqlite3_user_data(context));
    sqlite3_result_int(context, LikeMatches(p, t, ignoreCase) ? 1 : 0);
}

}  // namespace

bool LikeMatches(std::string_view pattern, std::string_view text, bool ignoreCase)
{
    if (!ignoreCase)
        return Match(pattern, text, [](char a, char b) { return a == b; });
    const auto& fold = FoldTable();
    return Match(pattern, text, [&fold](char a, char b) {
        return fold[static_cast<unsigned char>(a)] == fold[static_cast<unsigned char>(b)];
    });
}

int RegisterLike(sqlite3* db, const bool* ignoreCase)
{
    return sqlite3_create_function(db, "like", 2, SQLITE_UTF8, const_cast<bool*>(ignoreCase), LikeFunction, nullptr,
                                   nullptr);
}
