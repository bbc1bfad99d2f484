// --help and --version are answered on the terminal before any window or
// display exists, so that a shell without a desktop (and help2man, which
// writes the manual page from them) can ask.
#pragma once

// True when the command line asks for help or the version; the answer has
// then been printed and the program should end with exit code 0.
bool AnswerInfoOption(int argc, char* argv[]);
