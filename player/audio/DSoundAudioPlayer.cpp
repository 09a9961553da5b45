#include "player/audio/DSoundAudioPlayer.h"

#include "player/audio/DSoundAudioPlayerImpl.h"

DSoundAudioPlayer::DSoundAudioPlayer() : m_pImpl(new DSoundAudioPlayerImpl(nullptr)) {}

DSoundAudioPlayer::DSoundAudioPlayer(platform::SoundSystem& sound) : m_pImpl(new DSoundAudioPlayerImpl(&sound)) {}

DSoundAudioPlayer::~DSoundAudioPlayer() { delete m_pImpl; }

void DSoundAudioPlayer::setUseTimestampForAudio(bool use) { m_pImpl->setUseTimestampForAudio(use); }
void DSoundAudioPlayer::setupAudioMediaType(const AudioInfo& info) { m_pImpl->setupAudioMediaType(info); }
void DSoundAudioPlayer::setAudioWindow(unsigned window) { m_pImpl->setAudioWindow(window); }
void DSoundAudioPlayer::setAudioPlayQueueSize(unsigned) {}
int DSoundAudioPlayer::openAudio() { return m_pImpl->openAudio(); }
void DSoundAudioPlayer::closeAudio() { m_pImpl->closeAudio(); }
int DSoundAudioPlayer::playAudio() { return m_pImpl->playAudio(); }
int DSoundAudioPlayer::pauseAudio() { return m_pImpl->pauseAudio(); }
int DSoundAudioPlayer::stopAudio() { return m_pImpl->stopAudio(); }
int DSoundAudioPlayer::setAudioVolume(long volume) { return m_pImpl->setAudioVolume(volume); }
int DSoundAudioPlayer::getAudioVolume(long& volume) { return m_pImpl->getAudioVolume(volume); }
void DSoundAudioPlayer::clearAudioQueue() { m_pImpl->clearAudioQueue(); }
int DSoundAudioPlayer::pushAudioFrame(const AVData& frame) { return m_pImpl->pushAudioFrame(frame); }
bool DSoundAudioPlayer::isAudioQueueEmpty() { return m_pImpl->isAudioQueueEmpty(); }
bool DSoundAudioPlayer::isAudioQueueFull() { return m_pImpl->isAudioQueueFull(); }
bool DSoundAudioPlayer::isAudioPlayedOut() { return m_pImpl->isAudioPlayedOut(); }
void DSoundAudioPlayer::syncWithPictures(IVideoPlayer* pictures) { m_pImpl->syncWithPictures(pictures); }
