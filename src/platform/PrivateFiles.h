#pragma once

// The private-file helpers sit in the lowest layer, beside the preferences that are written through them.
#include "settings/PrivateFiles.h"
