#include "platform/IniFile.h"

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/Convert.h"
#include "platform/Cp1250.h"
#include "platform/FileOps.h"
#include "platform/Files.h"
#include "platform/OutputFile.h"

namespace platform {
namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string Trim(const std::string& text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

bool SameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && LowerCase(a) == LowerCase(b);
}

// The section name of a "[name]" line, or nothing for any other line.
std::optional<std::string> SectionOf(const std::string& line)
{
    const std::string trimmed = Trim(line);
    if (trimmed.size() < 2 || trimmed.front() != '[')
        return std::nullopt;
    const size_t close = trimmed.find(']');
    if (close == std::string::npos)
        return std::nullopt;
    return Trim(trimmed.substr(1, close - 1));
}

// The key of a "key=value" line, or nothing for comments and other lines.
std::optional<std::string> KeyOf(const std::string& line)
{
    const std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';')
        return std::nullopt;
    const size_t eq = trimmed.find('=');
    if (eq == std::string::npos)
        return std::nullopt;
    return Trim(trimmed.substr(0, eq));
}

bool InMatchingQuotes(const std::string& value)
{
    return value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
}

std::string ValueOf(const std::string& line)
{
    std::string value = Trim(line.substr(line.find('=') + 1));
    // A value in a matching pair of quotes is read without them.
    if (InMatchingQuotes(value))
        value = value.substr(1, value.size() - 2);
    return value;
}

// The text after "=" that reads back as value: the value itself, or, when
// reading would take blanks off its ends or a pair of quotes off it, the
// value inside one more pair of quotes (which reading takes off alone).
std::string StoredForm(const std::string& value)
{
    const bool blankAtAnEnd = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()));
    if (blankAtAnEnd || InMatchingQuotes(value))
        return '"' + value + '"';
    return value;
}

std::vector<std::string> LoadFileLines(const std::string& fileName)
{
    try {
        return LoadLines(fileName);
    } catch (const std::exception&) {
        return {};
    }
}

struct KeyPlace {
    std::optional<size_t> section;  // line of the section header
    std::optional<size_t> key;      // line of the key inside it
    size_t sectionEnd = 0;          // one past the section's last non-blank line
};

KeyPlace Find(const std::vector<std::string>& lines, const std::string& section, const std::string& key)
{
    KeyPlace place;
    bool inSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (const auto name = SectionOf(lines[i])) {
            if (place.section)
                break;  // the first matching section is the one used
            inSection = SameName(*name, section);
            if (inSection) {
                place.section = i;
                place.sectionEnd = i + 1;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (!Trim(lines[i]).empty())
            place.sectionEnd = i + 1;
        if (!place.key) {
            const auto name = KeyOf(lines[i]);
            if (name && SameName(*name, key))
                place.key = i;
        }
    }
    return place;
}

[[noreturn]] void ThrowUnableToWrite(const std::string& fileName)
{
    throw EIniFileException("Unable to write to " + Utf8ToCp1250(fileName));
}

// The lines to change: none for a missing file; a file that exists but cannot
// be read is not overwritten, so none of its keys are lost.
std::vector<std::string> LoadForWrite(const std::string& fileName)
{
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(fileName, error)))
        return {};
    try {
        return LoadLines(fileName);
    } catch (const std::exception&) {
        ThrowUnableToWrite(fileName);
    }
}

// The names "dovra.ini.tmp" + a process id that earlier versions wrote
// through.
bool IsProcessId(std::string_view rest)
{
    return !rest.empty() && rest.find_first_not_of("0123456789") == std::string_view::npos;
}

// Replaced as an export is (platform/OutputFile): never through a planted
// link, synced, renamed in one step, the old file's mode kept; a user's link
// keeps pointing at the file, which gets the new lines.
void WriteFileAtOnce(const std::string& fileName, const std::vector<std::string>& lines)
{
    RemoveFilesBesideNamed(fileName, ".tmp", IsProcessId);
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    try {
        OutputFile file(fileName);
        file.Write(bytes);
        file.Close();
    } catch (const EFCreateError&) {
        ThrowUnableToWrite(fileName);
    } catch (const EWriteError&) {
        ThrowUnableToWrite(fileName);
    }
}

}  // namespace

IniFile::IniFile(std::string fileName) : fileName_(std::move(fileName))
{}

bool IniFile::CanStore(const std::string& value)
{
    return value.find_first_of("\r\n") == std::string::npos;
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) const
{
    const std::vector<std::string> lines = LoadFileLines(fileName_);
    const KeyPlace place = Find(lines, section, key);
    return place.key ? ValueOf(lines[*place.key]) : defaultValue;
}

int IniFile::ReadInteger(const std::string& section, const std::string& key, int defaultValue) const
{
    const std::string text = ReadString(section, key, "");
    if (text.empty())
        return defaultValue;
    try {
        return StrToInt(text);
    } catch (const EConvertError&) {
        return defaultValue;
    }
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    // A line break would end the value early and could write lines of its
    // own: such a value is never written, not even in part.
    if (!CanStore(value))
        throw EIniFileException("Unable to write to " + Utf8ToCp1250(fileName_) + ": the value of " + key +
                                " holds a line break");
    std::vector<std::string> lines = LoadForWrite(fileName_);
    const KeyPlace place = Find(lines, section, key);
    const std::string line = key + "=" + StoredForm(value);
    if (place.key) {
        lines[*place.key] = line;
    } else if (place.section) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(place.sectionEnd), line);
    } else {
        if (!lines.empty() && !Trim(lines.back()).empty())
            lines.emplace_back();
        lines.push_back("[" + section + "]");
        lines.push_back(line);
    }
    WriteFileAtOnce(fileName_, lines);
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int value)
{
    WriteString(section, key, IntToStr(value));
}

void IniFile::WriteBool(const std::string& section, const std::string& key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

}  // namespace platform
