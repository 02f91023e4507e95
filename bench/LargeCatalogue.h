// The large catalogue the window benchmarks run on: 100,000 links in 50
// categories of 2,000 (or of linksPerCategory), built through the store facade.
#pragma once

#include <string>

#include "bench/BenchCatalogue.h"
#include "store/Db_funcs.h"
#include "store/Funcs.h"

constexpr int kCategories = 50;
constexpr int kLinksPerCategory = 2000;

inline void BuildLargeCatalogue(const std::string& folder, int linksPerCategory = kLinksPerCategory)
{
    Lines categories;
    for (int c = 1; c <= kCategories; ++c)
        categories.push_back(CategoryLine(-1, c, "Kategoria " + std::to_string(c), ""));
    DbAddCategories(folder, categories);
    Lines links;
    links.reserve(static_cast<std::size_t>(kCategories) * static_cast<std::size_t>(linksPerCategory));
    for (const int catId : CategoryIds(folder)) {
        for (int i = 1; i <= linksPerCategory; ++i)
            links.push_back(LinkLine(-1, catId, i,
                                     "http://www.example" + std::to_string(catId) + ".pl/strona/" + std::to_string(i),
                                     "Opis linku numer " + std::to_string(i)));
    }
    DbInsertLinks(folder, links);
}
