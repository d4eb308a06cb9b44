// Forwarding header: the library keeps this in cview.h.
#pragma once
#include "cview.h"
