// The program's version. The About box, the version resource and the
// release package's name read it from here; the window title keeps its own
// short form. Only macros: the resource compiler reads this file too.
#pragma once

#define AZM_VERSION_TEXT "0.98.1"
#define AZM_VERSION_NUMBERS 0, 98, 1, 0
