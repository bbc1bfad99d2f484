// The dialog part of the Windows resource script, written from the
// pedestal's template data so that the two can never disagree.
#pragma once

#include <string>

struct DialogTemplate;

// "102 DIALOGEX ..." with the template's caption, font, size and its
// controls in template order, in the resource compiler's syntax.
std::string DialogScript(const DialogTemplate& dialog);
