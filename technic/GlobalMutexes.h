#pragma once
#include "platform/Mutex.h"
#include "technic/KXMutexImpl.h"

// Process-wide mutexes, built before the program's own start-up code runs and kept to its exit.

// Serialises the lazy creation of the process-wide decoder manager.
extern KXMutexImpl gDecoderManagerMutex;
// Serialises creation and destruction of libjpeg decompression objects.
extern platform::Mutex gJpegMutex;
// Serialises opening and closing of the libavcodec decoder.
extern platform::Mutex gAvcodecMutex;
