#include "app/folder_picker.h"

Text InitialFolder;
