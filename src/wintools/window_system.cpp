#include "wintools/window_system.h"
