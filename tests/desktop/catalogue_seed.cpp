// Writes a small catalogue for the desktop tests, through the store, or
// counts its links.
//
//   catalogue_seed FOLDER CATEGORY [LINK DESCRIPTION]...
//   catalogue_seed --count FOLDER [CATEGORY_ID]
//
// FOLDER ends with "/" and is created if missing. One category named CATEGORY
// is added, then the links in the order given; its id is printed. Texts are
// given in UTF-8 and stored as the program stores them, in Windows-1250.
// --count prints the number of links in the catalogue, or in the category
// with that id.
#include <filesystem>
#include <iostream>

#include "platform/Convert.h"
#include "platform/Cp1250.h"
#include "store/Db_funcs.h"
#include "store/Funcs.h"

int main(int argc, char* argv[])
{
    if ((argc == 3 || argc == 4) && std::string(argv[1]) == "--count") {
        int catId = -1;
        try {
            if (argc == 4)
                catId = StrToInt(argv[3]);
        } catch (const EConvertError& error) {
            std::cerr << error.what() << '\n';
            return 2;
        }
        Lines links;
        if (DbGetLinks(argv[2], links, catId) != DbOk)
            return 1;
        std::cout << links.size() << '\n';
        return 0;
    }
    if (argc < 3 || argc % 2 == 0) {
        std::cerr << "usage: catalogue_seed FOLDER CATEGORY [LINK DESCRIPTION]...\n"
                     "       catalogue_seed --count FOLDER [CATEGORY_ID]\n";
        return 2;
    }
    const std::string folder = argv[1];
    std::filesystem::create_directories(folder);
    const std::string name = platform::Utf8ToCp1250(argv[2]);
    if (DbAddCategories(folder, {CategoryLine(-1, 1, name, name)}) != DbOk)
        return 1;
    Lines categories;
    if (DbGetCategories(folder, categories) != DbOk || categories.empty())
        return 1;
    const int catId = StrToInt(GetTagValue(categories.back(), "<i>"));
    Lines links;
    for (int i = 3; i + 1 < argc; i += 2)
        links.push_back(LinkLine(-1, catId, static_cast<int>(links.size()) + 1, platform::Utf8ToCp1250(argv[i]),
                                 platform::Utf8ToCp1250(argv[i + 1])));
    if (!links.empty() && DbInsertLinks(folder, links) != DbOk)
        return 1;
    std::cout << catId << '\n';
    return 0;
}
