// The browser token on every command line that serves the page: --token,
// --token-file and PEDESTAL_TOKEN, read the same way by the window and by
// pedestal-web.
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace web {

struct TokenOptions {
    std::string token;
    std::string file;
};

// Adds --token (also from PEDESTAL_TOKEN) and --token-file to app.
void AddTokenOptions(CLI::App& app, TokenOptions* options);
// After parsing: the token, read from the file when one was named (its first
// line, which wins over --token and PEDESTAL_TOKEN). False with *error when the file cannot be read
// or holds none.
bool ResolveToken(const TokenOptions& options, std::string* token, std::string* error);

inline constexpr const char* kTokenAdvice =
    "Beyond loopback the browsers need a token, made up at start unless given. Prefer "
    "--token-file or PEDESTAL_TOKEN: a --token on the command line shows in the process list.";

} // namespace web
