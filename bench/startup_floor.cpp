// The floor of the program's start-up, as a bare program of its own: with
// SQLite's C interface alone it reads the rows start-up shows, in the same
// order (every category by position, then every link by position), and
// touches every column (each number, each byte of each text). Then it says
// "read <checksum>" on the descriptor BENCH_READY_FD and ends.
// Run by window_bench: startup_floor <dovra.db>
#include <sqlite3.h>

#include <cstdio>
#include <string>

#include "bench/BenchChild.h"

namespace {

// Every column of every row of sql, folded into sum; false when it fails.
bool TouchRows(sqlite3* db, const char* sql, unsigned long long& sum)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return false;
    int step = 0;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        const int columns = sqlite3_column_count(statement);
        for (int c = 0; c < columns; ++c) {
            if (sqlite3_column_type(statement, c) == SQLITE_INTEGER) {
                sum += static_cast<unsigned long long>(sqlite3_column_int64(statement, c));
                continue;
            }
            const unsigned char* text = sqlite3_column_text(statement, c);
            const int bytes = sqlite3_column_bytes(statement, c);
            for (int i = 0; i < bytes; ++i)
                sum = sum * 31 + text[i];
        }
    }
    sqlite3_finalize(statement);
    return step == SQLITE_DONE;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fputs("usage: startup_floor <dovra.db>\n", stderr);
        return 2;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", argv[1], sqlite3_errmsg(db));
        return 1;
    }
    unsigned long long sum = 0;
    const bool read = TouchRows(db, "select * from CATEGS order by POS", sum) &&
        TouchRows(db, "select * from LINKS order by POS", sum);
    if (!read)
        std::fprintf(stderr, "%s: %s\n", argv[1], sqlite3_errmsg(db));
    sqlite3_close(db);
    if (!read)
        return 1;
    SayReady("read " + std::to_string(sum));
    return 0;
}
