#include "profile/panel/macro_control.h"
