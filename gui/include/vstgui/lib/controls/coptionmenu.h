// Forwarding header: the library keeps this in controls.h.
#pragma once
#include "../controls.h"
