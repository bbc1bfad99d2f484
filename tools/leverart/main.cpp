// leverart OUTDIR: draws the lever bitmaps and the application icon into OUTDIR.
#include "Levers.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: leverart OUTDIR\n");
        return 2;
    }
    if (!leverart::WriteAllPictures(argv[1])) {
        std::fprintf(stderr, "leverart: cannot write the pictures into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
