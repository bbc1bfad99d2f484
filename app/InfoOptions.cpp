#include "app/InfoOptions.h"

#include "PedestalVersion.h"
#include "web/WindowHost.h"

#include <cstdio>
#include <string_view>

bool AnswerInfoOption(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--help") {
            std::fputs(web::WindowHelp("pedestal").c_str(), stdout);
            return true;
        }
        if (option == "--version") {
            std::printf("pedestal %s\n", PEDESTAL_VERSION);
            return true;
        }
    }
    return false;
}
