#include "MainFilter.h"

// The filter is small enough to live in its header; this unit keeps the one-file-per-stage layout.
