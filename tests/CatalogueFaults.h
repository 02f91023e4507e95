// Faults put into a catalogue file from outside the program, shared by the
// store and window tests.
#pragma once

#include <fstream>
#include <string>

namespace cataloguefaults {

// Marks the catalogue file as one that SQLite may read but must not write (the
// header's file format write version above 2), as a read-only file would be
// for a user without the right to write it; root writes any file. False when
// the file could not be marked.
inline bool MakeReadOnly(const std::string& dbPath)
{
    std::fstream file(dbPath, std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(18);
    file.put('\x03');
    file.close();
    return !file.fail();
}

}  // namespace cataloguefaults
