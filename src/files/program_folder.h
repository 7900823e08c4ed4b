#pragma once

#include "files/text.h"

// The folder of the running executable, without a trailing backslash.
Text ProgramFolder();
