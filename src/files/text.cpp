#include "files/text.h"
