// Every link's line, kept aside while the link list shows one category, so
// that going back to all links needs no new read of a catalogue that has not
// changed: reading and sorting a catalogue of a million links takes longer
// than the switch may. The lines still hold when the catalogue folder is the
// same, the store has run no call that could change records since they were
// read, the catalogue file has kept its size and time, and the list had not
// been changed since they were loaded into it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class LineListBox;

class KeptLinks {
public:
    // The lines of every link, taken out when they still hold; false (and
    // nothing kept any more) otherwise.
    bool Take(const std::string& folder, std::vector<std::string>& lines);
    // The list has just been loaded with the lines of catId (-1: all links)
    // from folder; before are the lines it held until then, kept when they
    // were all links as loaded and catId is a category.
    void Loaded(const LineListBox& list, std::vector<std::string> before, int catId, const std::string& folder);

private:
    struct Stamp {
        std::string folder;
        unsigned long long changingCalls = 0;
        std::uintmax_t size = 0;
        std::filesystem::file_time_type time;
        bool operator==(const Stamp&) const = default;
    };
    static Stamp StampOf(const std::string& folder);

    // What the list shows since its last load.
    int shownCategory_ = -2;
    unsigned long long shownRevision_ = 0;
    Stamp shownStamp_;
    // The lines kept aside and what they were read from.
    std::vector<std::string> kept_;
    Stamp keptStamp_;
    bool holding_ = false;
};
