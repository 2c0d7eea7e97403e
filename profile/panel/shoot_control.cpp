#include "profile/panel/shoot_control.h"
