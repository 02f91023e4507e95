#include "platform/TextFile.h"

#include <algorithm>

#include "platform/Files.h"

namespace platform {
namespace {

const std::string kByteOrderMark = "\xEF\xBB\xBF";

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 sequence at bytes[i] (no overlong
// forms, no surrogates, nothing above U+10FFFF), 0 when there is none.
std::size_t SequenceLength(const std::string& bytes, std::size_t i)
{
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;  // the range of the second byte
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > bytes.size())
        return 0;
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    if (second < low || second > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (!IsContinuation(static_cast<unsigned char>(bytes[i + k])))
            return 0;
    return length;
}

// Whether the bytes are well-formed UTF-8 holding a multi-byte character.
bool IsMultiByteUtf8(const std::string& bytes)
{
    bool multiByte = false;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = SequenceLength(bytes, i);
        if (length == 0)
            return false;
        multiByte = multiByte || length > 1;
        i += length;
    }
    return multiByte;
}

// One line of a file without the mark: converted from UTF-8 when it is valid
// UTF-8 holding a multi-byte character, otherwise Windows-1250 bytes as they
// are.
std::string LineToCp1250(const std::string& line, Unmappable rule)
{
    return IsMultiByteUtf8(line) ? Utf8ToCp1250(line, rule) : line;
}

// The text of a file with the mark, UTF-8 throughout: a byte that begins no
// well-formed sequence (a Windows-1250 letter pasted into the file) is kept
// as the Windows-1250 character it is rather than lost as "?".
std::string MarkedUtf8ToCp1250(const std::string& text, Unmappable rule)
{
    std::string out;
    out.reserve(text.size());
    std::size_t run = 0;  // where the current run of well-formed sequences began
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = SequenceLength(text, i);
        if (length > 0) {
            i += length;
            continue;
        }
        out += Utf8ToCp1250(text.substr(run, i - run), rule);
        out += text[i];
        run = ++i;
    }
    return out + Utf8ToCp1250(text.substr(run), rule);
}

}  // namespace

bool IsUtf8Text(const std::string& bytes)
{
    return bytes.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0 || IsMultiByteUtf8(bytes);
}

std::string TextFileToCp1250(const std::string& bytes, Unmappable rule)
{
    const std::string text = WithoutNul(bytes);
    if (text.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0)
        return MarkedUtf8ToCp1250(text.substr(kByteOrderMark.size()), rule);
    if (IsUtf8Text(text))
        return Utf8ToCp1250(text, rule);  // every line is UTF-8 or ASCII: one pass
    std::string out;
    out.reserve(text.size());
    for (std::size_t start = 0;;) {
        const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        out += LineToCp1250(text.substr(start, end - start), rule);
        if (end == text.size())
            return out;
        out += text[end];
        start = end + 1;
    }
}

std::vector<std::string> LoadTextLines(const std::string& path, Unmappable rule)
{
    return SplitLines(TextFileToCp1250(ReadFileBytes(path), rule));
}

}  // namespace platform
