// Stand-in until the sdk layer's GUI interface ids are merged.
#include "pluginterfaces/gui/iplugview.h"
namespace Steinberg {
DEF_CLASS_IID(IPlugView)
DEF_CLASS_IID(IPlugFrame)
}
