#include "player/live/TSChunkReassembler.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "player/KXPlayerResult.h"

TSChunkReassembler::TSChunkReassembler(TSPacketSink& sink) : m_sink(sink), m_buffer(kInitialCapacity) {}

void TSChunkReassembler::reset() {
  m_used = 0;
  m_scanPos = 0;
}

int TSChunkReassembler::fail() {
  reset();
  return KXPLAYER_TS_INPUT_ERROR;
}

bool TSChunkReassembler::append(const char* data, int length) {
  if (length <= 0) return true;
  if (m_scanPos > 0) {
    // Judged bytes are never looked at again: keep only the rest, at the front.
    std::memmove(m_buffer.data(), m_buffer.data() + m_scanPos, static_cast<size_t>(m_used - m_scanPos));
    m_used -= m_scanPos;
    m_scanPos = 0;
  }
  const size_t needed = static_cast<size_t>(m_used) + static_cast<size_t>(length);
  if (needed > m_buffer.size()) {
    try {
      m_buffer.resize(std::max(needed, 2 * m_buffer.size()));
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
  std::memcpy(m_buffer.data() + m_used, data, static_cast<size_t>(length));
  m_used += length;
  return true;
}

int TSChunkReassembler::push(const char* data, int length) {
  if (data == nullptr || length <= 0) return KXPLAYER_OUT_OF_RANGE;
  // First the held bytes, as if the new chunk followed them directly.
  while (m_scanPos < m_used) {
    const int p = m_scanPos;
    if (m_buffer[static_cast<size_t>(p)] != kSyncByte) {
      ++m_scanPos;
      continue;
    }
    const int next = p + kPacketSize;  // where the following sync byte must be
    int consumed = 0;
    if (next < m_used) {
      if (m_buffer[static_cast<size_t>(next)] != kSyncByte) {
        ++m_scanPos;
        continue;
      }
      const int result = m_sink.pushPacket(m_buffer.data() + p, kPacketSize, consumed);
      if (result == KXPLAYER_QUEUE_FULL) {
        m_scanPos += consumed;
        return KXPLAYER_QUEUE_FULL;
      }
      if (result < 0) return fail();
      m_scanPos += kPacketSize;
      continue;
    }
    const int missing = next - m_used;  // bytes of the new chunk that complete the packet at p
    if (length <= missing) {
      if (!append(data, length)) return fail();
      return KXPLAYER_OK;
    }
    if (data[missing] != kSyncByte) {
      ++m_scanPos;
      continue;
    }
    if (!append(data, missing)) return fail();
    const int at = m_scanPos;  // append moved the packet to the front
    const int result = m_sink.pushPacket(m_buffer.data() + at, kPacketSize, consumed);
    if (result == KXPLAYER_QUEUE_FULL) {
      m_scanPos += consumed;
      if (missing == 0) return KXPLAYER_QUEUE_FULL;
      // Part of this chunk is taken already: hold the rest of it.
      if (!append(data + missing, length - missing)) return fail();
      return KXPLAYER_OK;
    }
    if (result < 0) return fail();
    reset();
    return scanNew(data, length, missing);
  }
  reset();
  return scanNew(data, length, 0);
}

int TSChunkReassembler::scanNew(const char* data, int length, int from) {
  int i = from;
  int runEnd = from;  // packets before it are confirmed already
  while (i < length) {
    if (data[i] != kSyncByte) {
      ++i;
      continue;
    }
    if (i + kPacketSize >= length) {
      // The last packet waits until the next chunk shows the sync byte that follows it.
      if (!append(data + i, length - i)) return fail();
      return KXPLAYER_OK;
    }
    if (data[i + kPacketSize] != kSyncByte) {
      ++i;
      continue;
    }
    // Every packet of an unbroken run is confirmed by the sync byte after it: the sink takes the run
    // in one call, as it would take its packets one by one.
    int end = i < runEnd ? runEnd : i + kPacketSize;
    while (end + kPacketSize < length && data[end + kPacketSize] == kSyncByte) end += kPacketSize;
    runEnd = end;
    int consumed = 0;
    const int result = m_sink.pushPacket(data + i, end - i, consumed);
    if (result == KXPLAYER_QUEUE_FULL) {
      if (!append(data + i + consumed, length - i - consumed)) return fail();
      return KXPLAYER_OK;
    }
    if (result < 0 || consumed <= 0) return fail();
    i += consumed;
  }
  return KXPLAYER_OK;
}
