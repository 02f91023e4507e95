// A profile (settings) file with the rules of the Windows profile services:
// section and key names match regardless of letter case, every write reaches
// the file at once, values are kept as bytes. Integers are read as decimal or
// as hex after "0x", "0X" or "$"; booleans are written "1" and "0".
#pragma once

#include <stdexcept>
#include <string>

namespace platform {

// Raised when the file cannot be written: "Unable to write to <path>".
class EIniFileException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class IniFile {
public:
    explicit IniFile(std::string fileName);

    // Whether a value can be written so that it reads back as it is: any
    // bytes but a line break (CR or LF), which would end the line early.
    static bool CanStore(const std::string& value);

    // Reading never fails: a missing file, section or key gives the default.
    std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue) const;
    // A value that is empty or not a whole number gives the default.
    int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;
    // Read as an integer with the default 1 or 0: non-zero is true.
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;

    // Each write creates the file, the section and the key as needed and
    // replaces the file at once, as platform::OutputFile replaces a file
    // (through a symbolic link, the file it points to; its mode kept).
    // Temporary files an ended run left beside it go.
    // EIniFileException when that fails, and for a value CanStore refuses
    // (the file is then not touched). A value that reading would change
    // (blanks at an end, a matching pair of quotes) is written in quotes.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    void WriteBool(const std::string& section, const std::string& key, bool value);

private:
    std::string fileName_;
};

}  // namespace platform
