// What a link text needs before a browser or the desktop opens it as the
// web address it stands for. Byte texts (Windows-1250 or UTF-8), no Qt.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// True for a text that begins with "www" in any case of letters ("www.x.pl",
// "WWW.X.PL", "www2.x.pl"): a web address written without its scheme, which
// would otherwise be taken for a file name.
bool NeedsHttpScheme(std::string_view link);

// "http://" + link where NeedsHttpScheme, else link unchanged.
std::string WithHttpScheme(std::string_view link);

}  // namespace platform
