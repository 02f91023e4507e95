// The system clipboard's text, as the program's Windows-1250 bytes. A
// character the code page lacks reads as "?".
#pragma once

#include <string>

namespace platform {

void SetClipboardText(const std::string& textCp1250);
std::string ClipboardText();

}  // namespace platform
