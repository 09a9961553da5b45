#include "media/AudioInfo.h"
