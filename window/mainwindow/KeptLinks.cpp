#include "window/mainwindow/KeptLinks.h"

#include <system_error>

#include "store/Db_funcs.h"
#include "window/widgets/LineListBox.h"

KeptLinks::Stamp KeptLinks::StampOf(const std::string& folder)
{
    Stamp stamp;
    stamp.folder = folder;
    stamp.changingCalls = DbChangingCalls();
    const std::filesystem::path file = folder + "dovra.db";
    std::error_code ec;
    stamp.size = std::filesystem::file_size(file, ec);
    if (ec)
        stamp.size = static_cast<std::uintmax_t>(-1);
    stamp.time = std::filesystem::last_write_time(file, ec);
    return stamp;
}

bool KeptLinks::Take(const std::string& folder, std::vector<std::string>& lines)
{
    const bool holds = holding_ && keptStamp_ == StampOf(folder);
    if (holds)
        lines = std::move(kept_);
    std::vector<std::string>().swap(kept_);
    holding_ = false;
    return holds;
}

void KeptLinks::Loaded(const LineListBox& list, std::vector<std::string> before, int catId, const std::string& folder)
{
    // The list's revision has moved by exactly this load since the last one.
    const bool beforeAsLoaded = list.Revision() == shownRevision_ + 1;
    std::vector<std::string>().swap(kept_);
    holding_ = false;
    if (shownCategory_ == -1 && catId != -1 && beforeAsLoaded) {
        kept_ = std::move(before);
        keptStamp_ = shownStamp_;
        holding_ = true;
    }
    shownCategory_ = catId;
    shownRevision_ = list.Revision();
    shownStamp_ = StampOf(folder);
}
