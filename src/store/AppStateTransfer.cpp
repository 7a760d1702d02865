#include "store/AppState.h"
