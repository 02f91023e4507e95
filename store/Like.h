// LIKE on the catalogue's text: the Windows-1250 bytes, each byte one
// character. "%" stands for any run of characters, "_" for exactly one;
// every other byte stands for itself, or, when case is ignored, for itself
// in either case of the code page (Ł with ł, Ó with ó, A with a).
//
// SQLite's own LIKE reads the bytes as UTF-8 and folds only A to Z, so the
// store replaces it on every connection it opens.
#pragma once

#include <string_view>

struct sqlite3;

// True when text matches the whole pattern.
bool LikeMatches(std::string_view pattern, std::string_view text, bool ignoreCase);

// Puts LikeMatches in place of the connection's "X LIKE Y" (two operands).
// *ignoreCase is read at every comparison, so its owner decides per
// statement whether case counts. Answers SQLite's result code.
int RegisterLike(sqlite3* db, const bool* ignoreCase);
