// An external shared library loaded for one call: by absolute path only,
// so the system's library paths are never searched; unloaded when the
// object ends. POSIX only, no Qt.
#pragma once

#include <string>

namespace platform {

class Library {
public:
    // Loads path with RTLD_NOW | RTLD_LOCAL. A path that is not absolute
    // (an empty one included) loads nothing.
    explicit Library(const std::string& path);
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    bool Loaded() const { return handle_ != nullptr; }
    // The address of the exported name, or nullptr (also when not loaded).
    void* Symbol(const char* name) const;

    // A function of the library as type F (a function pointer), or nullptr.
    template <class F>
    F Function(const char* name) const
    {
        return reinterpret_cast<F>(Symbol(name));
    }

private:
    void* handle_ = nullptr;
};

}  // namespace platform
