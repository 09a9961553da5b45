#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "media/Buffer.h"

class AVData;
class BinaryFile;
class FrameParser;

// One chunk of a recording file in memory, together with the frame-list parser that reads it.
//
// The window knows where its chunk lies in the file, so every step that moves through the file is
// computed from absolute offsets: the chunk that follows starts at the first byte the parser left
// over (a frame cut by the chunk's end is read again whole), and a chunk that reaches the end of the
// file is parsed as the end of the input, so that its last frame is not held back for a next chunk
// that never comes. Reads never exceed the chunk's fixed allocation.
class ChunkWindow {
 public:
  // 20000 transport packets of 188 bytes, for both file types.
  static constexpr int kChunkSize = 3760000;

  // chunkSize: the bytes read at a time. The player reads kChunkSize; a smaller chunk brings the
  // steps across chunk boundaries into small files (tests, the fuzzer).
  explicit ChunkWindow(int chunkSize = kChunkSize);
  ~ChunkWindow();
  ChunkWindow(const ChunkWindow&) = delete;
  ChunkWindow& operator=(const ChunkWindow&) = delete;

  // Points the window at a file (not owned) and a parser type; drops the parser and the chunk.
  void attach(BinaryFile* file, int fileType);
  // A fresh parser for the file type, the chunk emptied and the window back at offset 0; false when
  // the type has no parser (the window then has none).
  bool resetParser();
  FrameParser* parser() const { return m_parser.get(); }
  Buffer& chunk() { return m_chunk; }

  // The chunk's fixed allocation: the most bytes one load reads.
  int chunkSize() const { return m_chunk.getBufferSize(); }
  int64_t offset() const { return m_offset; }
  int length() const { return m_length; }
  // The chunk holds the last byte of the file.
  bool reachesEnd() const { return m_reachesEnd; }
  // Where the chunk after this one starts: after the bytes the parser took, never before the end of
  // the chunk's first byte (a parser that takes nothing of a whole chunk cannot make progress on it).
  int64_t nextOffset() const;

  // Reads up to length bytes (at most the chunk size) at offset into the chunk. The parser first lets
  // go of the bytes it borrowed from the old chunk. Count read, 0 at the end of the file, negative on
  // a seek or read error; the window then holds no chunk and a later load may retry.
  int load(int64_t offset, int length = kChunkSize);
  // Reads the chunk after this one; after startAt, or when no chunk was read yet, the chunk at the
  // window's offset.
  int loadNext();
  // Drops the chunk and places the window at offset, so that the next loadNext reads from there.
  void startAt(int64_t offset);

  // Parses the chunk into the frame list; a chunk that reaches the end of the file ends the input.
  int parse(bool whole);
  // Collects the chunk's key frames into ids and offsets (offsets as the parser counts them).
  int scanKeyFrames(std::vector<int64_t>& ids, std::vector<int64_t>& offsets);

  // The next frame (any frame, or the next video frame) in file order, refilling the list from the
  // file when it runs out: 0, -104 (read error, or a whole chunk that does not parse), -107 (end of
  // data, or more than 10 refills in a row that leave the list empty).
  int next(AVData*& out, bool videoOnly);

 private:
  int step(AVData*& out, bool videoOnly);

  BinaryFile* m_file = nullptr;
  int m_fileType = 1;
  std::unique_ptr<FrameParser> m_parser;
  Buffer m_chunk;
  int64_t m_offset = 0;
  int m_length = 0;
  bool m_reachesEnd = false;
};
