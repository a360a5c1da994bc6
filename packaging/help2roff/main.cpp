// help2roff: writes the manual page of a program from its --help text (a build tool).
//
//   help2roff --name NAME --summary TEXT --version TEXT --date DATE --input HELP --output PAGE
//             [--section N] [--manual TEXT] [--see-also NAME,NAME,...]

#include "HelpToRoff.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    std::stringstream stream(text);
    std::string item;
    while (std::getline(stream, item, ',')) {
        if (!item.empty()) {
            items.push_back(item);
        }
    }
    return items;
}

int Usage() {
    std::fputs("usage: help2roff --name NAME --summary TEXT --version TEXT --date DATE --input "
               "HELP --output PAGE [--section N] [--manual TEXT] [--see-also NAME,...]\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    HelpToRoff::Page page;
    page.section = "1";
    page.manual = "kilnwatch manual";
    std::string input;
    std::string output;
    for (int i = 1; i < argc; ++i) {
        if (i + 1 >= argc) {
            return Usage();
        }
        const std::string option = argv[i];
        const std::string value = argv[++i];
        if (option == "--name") {
            page.name = value;
        } else if (option == "--summary") {
            page.summary = value;
        } else if (option == "--version") {
            page.version = value;
        } else if (option == "--date") {
            page.date = value;
        } else if (option == "--section") {
            page.section = value;
        } else if (option == "--manual") {
            page.manual = value;
        } else if (option == "--see-also") {
            page.seeAlso = SplitList(value);
        } else if (option == "--input") {
            input = value;
        } else if (option == "--output") {
            output = value;
        } else {
            return Usage();
        }
    }
    if (page.name.empty() || input.empty() || output.empty()) {
        return Usage();
    }

    std::ifstream in(input, std::ios::binary);
    if (!in.is_open()) {
        std::fprintf(stderr, "help2roff: cannot read %s\n", input.c_str());
        return 1;
    }
    const std::string help((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (help.empty()) {
        std::fprintf(stderr, "help2roff: %s is empty: the program printed no help\n",
                     input.c_str());
        return 1;
    }
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    out << HelpToRoff::Convert(page, help);
    out.close();
    if (!out) {
        std::fprintf(stderr, "help2roff: cannot write %s\n", output.c_str());
        std::remove(output.c_str());
        return 1;
    }
    return 0;
}
