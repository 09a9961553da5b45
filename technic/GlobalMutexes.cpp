#include "technic/GlobalMutexes.h"

KXMutexImpl gDecoderManagerMutex;
platform::Mutex gJpegMutex;
platform::Mutex gAvcodecMutex;
