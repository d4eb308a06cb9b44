// Forwarding header: the library keeps this in cgraphics.h.
#pragma once
#include "cgraphics.h"
