#include "web/CommandLine.h"

#include <CLI/CLI.hpp>

#include <fstream>

namespace web {

void AddTokenOptions(CLI::App& app, TokenOptions* options) {
    app.add_option("--token", options->token,
                   "the browsers' token (also from PEDESTAL_TOKEN); others on this machine can "
                   "read it in the process list")
        ->envname("PEDESTAL_TOKEN");
    app.add_option("--token-file", options->file,
                   "read the token from the first line of FILE (before --token)")
        ->type_name("FILE");
}

bool ResolveToken(const TokenOptions& options, std::string* token, std::string* error) {
    *token = options.token;
    if (options.file.empty())
        return true;
    std::ifstream file(options.file, std::ios::binary);
    std::string line;
    if (!file || !std::getline(file, line)) {
        *error = "cannot read a token from " + options.file;
        return false;
    }
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.pop_back();
    if (line.empty()) {
        *error = options.file + " holds no token on its first line";
        return false;
    }
    *token = line;
    return true;
}

} // namespace web
