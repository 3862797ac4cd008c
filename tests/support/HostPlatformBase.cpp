#include "platform/PlatformBase.h"
