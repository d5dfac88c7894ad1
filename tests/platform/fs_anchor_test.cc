#include "temp_drives.h"
