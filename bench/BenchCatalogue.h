// Building blocks of the benchmarks' catalogues, through the store facade.
#pragma once

#include <string>
#include <vector>

#include "store/Db_funcs.h"
#include "store/Funcs.h"

// The ids of folder's categories, in the order the store lists them.
inline std::vector<int> CategoryIds(const std::string& folder)
{
    Lines stored;
    DbGetCategories(folder, stored);
    std::vector<int> ids;
    for (const std::string& line : stored)
        ids.push_back(std::stoi(GetTagValue(line, "<i>")));
    return ids;
}
