// Limits the size of every file this process writes, for the guard's
// lifetime: a write past the limit fails part way (EFBIG), as a full disk
// does, without a fault put into the code under test. SIGXFSZ is ignored
// meanwhile, so the failing write returns instead of ending the process.
#pragma once

#include <sys/resource.h>

#include <csignal>

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limited = old_;
        limited.rlim_cur = bytes;
        set_ = ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldSignal_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    // False when the limit could not be set.
    bool Set() const { return set_; }

private:
    struct rlimit old_ {};
    void (*oldSignal_)(int) = nullptr;
    bool set_ = false;
};
