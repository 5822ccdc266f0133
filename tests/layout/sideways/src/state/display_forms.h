#pragma once

// A window's state that reaches up into a part: refused too.
#include "download/firmware_download.h"
