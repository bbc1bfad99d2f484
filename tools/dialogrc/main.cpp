// dialogrc: writes the dialog part of the Windows resource script from the
// pedestal's template data.
//   dialogrc FILE           writes FILE
//   dialogrc --check FILE   exit 0 when FILE holds exactly what would be written
#include "panel/PedestalTemplate.h"
#include "tools/dialogrc/DialogScript.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
    const bool check = argc == 3 && std::strcmp(argv[1], "--check") == 0;
    if (argc != 2 && !check) {
        std::fprintf(stderr, "usage: dialogrc [--check] FILE\n");
        return 2;
    }
    const char* path = argv[argc - 1];
    const std::string script = DialogScript(PedestalTemplate());
    if (check) {
        std::ifstream in(path, std::ios::binary);
        const std::string current{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
        if (!in.good() && !in.eof()) {
            std::fprintf(stderr, "dialogrc: cannot read %s\n", path);
            return 1;
        }
        if (current != script) {
            std::fprintf(stderr, "dialogrc: %s is out of date: run dialogrc %s\n", path, path);
            return 1;
        }
        return 0;
    }
    std::ofstream out(path, std::ios::binary);
    out << script;
    if (!out.flush()) {
        std::fprintf(stderr, "dialogrc: cannot write %s\n", path);
        return 1;
    }
    return 0;
}
