// Forwarding header: the library keeps this in cdrawcontext.h.
#pragma once
#include "cdrawcontext.h"
