#include "platform/Library.h"

#include <dlfcn.h>

namespace platform {

Library::Library(const std::string& path)
{
    // A name without a slash would make dlopen search LD_LIBRARY_PATH and
    // the system's folders; a relative one depends on the working folder.
    if (path.empty() || path.front() != '/')
        return;
    handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

Library::~Library()
{
    if (handle_)
        ::dlclose(handle_);
}

void* Library::Symbol(const char* name) const
{
    return handle_ ? ::dlsym(handle_, name) : nullptr;
}

}  // namespace platform
