// Everything of the view library in one include.
#pragma once

#include "lib/vstguibase.h"
#include "lib/cgraphics.h"
#include "lib/cdrawcontext.h"
#include "lib/cview.h"
#include "lib/controls.h"
#include "lib/cvstguitimer.h"
#include "lib/coffscreen.h"
#include "uidescription/uidescription.h"
