#pragma once

// Resource ids, shared by the resource script and the C++ code, hence plain macros.
// The program's icon has the lowest id, so the shell shows it as the program file's icon.
#define VANTREL_ICON_ID 1
