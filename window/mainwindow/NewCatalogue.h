// The catalogue file of an operation that may create it (a conversion, the
// opening of an empty catalogue by the folder switch): when nothing had its
// name before, the file is the operation's own and goes again unless Keep()
// was called, so that a failed operation leaves no empty or partial catalogue
// for the next start or folder switch to take for a real one. A file that was
// there before is never touched.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

#include "platform/FileOps.h"

class NewCatalogue {
public:
    explicit NewCatalogue(std::string path) : path_(std::move(path)), hadName_(NameTaken(path_)) {}
    ~NewCatalogue()
    {
        if (!hadName_ && !kept_)
            platform::DeleteFile(path_);
    }
    NewCatalogue(const NewCatalogue&) = delete;
    NewCatalogue& operator=(const NewCatalogue&) = delete;

    void Keep() { kept_ = true; }

private:
    // Anything with the name counts, even what cannot be looked at.
    static bool NameTaken(const std::string& path)
    {
        std::error_code error;
        return std::filesystem::symlink_status(path, error).type() != std::filesystem::file_type::not_found;
    }

    std::string path_;
    bool hadName_;
    bool kept_ = false;
};
