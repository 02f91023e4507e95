#include "platform/TextFile.h"

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

}  // namespace

bool IsUtf8Text(const std::string& bytes)
{
    if (bytes.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0)
        return true;
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

std::string TextFileToCp1250(const std::string& bytes, Unmappable rule)
{
    if (!IsUtf8Text(bytes))
        return bytes;
    if (bytes.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0)
        return Utf8ToCp1250(bytes.substr(kByteOrderMark.size()), rule);
    return Utf8ToCp1250(bytes, rule);
}

std::vector<std::string> LoadTextLines(const std::string& path, Unmappable rule)
{
    return SplitLines(TextFileToCp1250(ReadFileBytes(path), rule));
}

}  // namespace platform
