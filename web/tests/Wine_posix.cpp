#include "web/tests/Wine.h"

bool RunningUnderWine() {
    return false;
}
