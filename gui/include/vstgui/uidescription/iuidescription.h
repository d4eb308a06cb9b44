// Forwarding header: the library keeps this in uidescription.h.
#pragma once
#include "uidescription.h"
