// A window that reaches sideways into another part: the layout test must refuse it.
#include "download/firmware_download.h"
