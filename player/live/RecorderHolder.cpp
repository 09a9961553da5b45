#include "player/live/RecorderHolder.h"

#include "player/live/Mepg2TSRecorder.h"

RecorderHolder::RecorderHolder() : m_recorder(std::make_unique<Mepg2TSRecorder>()) {}

RecorderHolder::~RecorderHolder() { m_recorder->stopRecord(); }
