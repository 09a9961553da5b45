#include "player/decode/JpegDecoder.h"

#include <cstring>
#include <mutex>

#include "technic/GlobalMutexes.h"

namespace {

// The memory source: libjpeg's source manager followed by the whole frame.
struct MemorySource {
  jpeg_source_mgr pub;
  const JOCTET* frame;
  size_t length;
  bool presented;  // the frame has been handed to libjpeg
};

const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

void initSource(j_decompress_ptr) {}
void termSource(j_decompress_ptr) {}

// The first request gets the whole frame. A later one means the frame is cut short: presenting it
// again from its start can keep libjpeg skipping through the same markers for ever, so it gets an end
// of image instead (every further request too); picture data missing before it makes the frame damaged.
boolean fillInputBuffer(j_decompress_ptr cinfo) {
  auto* src = reinterpret_cast<MemorySource*>(cinfo->src);
  if (!src->presented) {
    src->presented = true;
    src->pub.next_input_byte = src->frame;
    src->pub.bytes_in_buffer = src->length;
  } else {
    src->pub.next_input_byte = kEndOfImage;
    src->pub.bytes_in_buffer = sizeof(kEndOfImage);
  }
  return TRUE;
}

void skipInputData(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  auto* src = reinterpret_cast<MemorySource*>(cinfo->src);
  // Never beyond the frame: a longer skip stops at its end (the frame is cut short).
  const size_t step = static_cast<size_t>(count) < src->pub.bytes_in_buffer ? static_cast<size_t>(count)
                                                                            : src->pub.bytes_in_buffer;
  src->pub.next_input_byte += step;
  src->pub.bytes_in_buffer -= step;
}

}  // namespace

void jpegMemorySrc(j_decompress_ptr cinfo, const uint8_t* frame, int frameLength) {
  if (cinfo->src == nullptr) {
    cinfo->src = static_cast<jpeg_source_mgr*>((*cinfo->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(MemorySource)));
  }
  auto* src = reinterpret_cast<MemorySource*>(cinfo->src);
  src->pub.init_source = initSource;
  src->pub.fill_input_buffer = fillInputBuffer;
  src->pub.skip_input_data = skipInputData;
  src->pub.resync_to_restart = jpeg_resync_to_restart;
  src->pub.term_source = termSource;
  src->pub.bytes_in_buffer = 0;
  src->pub.next_input_byte = nullptr;
  src->frame = frame;
  src->length = frameLength > 0 ? static_cast<size_t>(frameLength) : 0;
  src->presented = false;
}

JpegDecoder::JpegDecoder() { std::memset(&m_objDecompress, 0, sizeof(m_objDecompress)); }

JpegDecoder::~JpegDecoder() { releaseJpegDecompress(); }

int JpegDecoder::initJpegDecompress() {
  std::lock_guard<platform::Mutex> lock(gJpegMutex);
  if (m_bCreated) return 0;
  m_objDecompress.err = m_objError.install();
  if (setjmp(m_objError.jumpBuffer()) != 0) {
    // Creation itself failed (no memory): no decompressor.
    jpeg_destroy_decompress(&m_objDecompress);
    return -1;
  }
  jpeg_create_decompress(&m_objDecompress);
  m_bCreated = true;
  return 0;
}

void JpegDecoder::releaseJpegDecompress() {
  std::lock_guard<platform::Mutex> lock(gJpegMutex);
  if (!m_bCreated) return;
  jpeg_destroy_decompress(&m_objDecompress);
  m_bCreated = false;
}

bool JpegDecoder::decodeJpegFrame(const uint8_t* frame, int frameLength, const uint8_t** picture, int* length) {
  if (frame == nullptr || frameLength < 2 || frame[0] != 0xFF || frame[1] != 0xD8) return false;
  if (!m_bCreated) return false;
  int out = 0;
  if (!decodeInto(frame, frameLength, &out)) return false;
  if (picture != nullptr) *picture = m_objRgb.data();
  if (length != nullptr) *length = out;
  return true;
}

bool JpegDecoder::decodeInto(const uint8_t* frame, int frameLength, int* length) {
  // No object with a destructor lives in this function: a fatal error longjmps back to here.
  if (setjmp(m_objError.jumpBuffer()) != 0) {
    jpeg_abort_decompress(&m_objDecompress);
    return false;
  }
  jpegMemorySrc(&m_objDecompress, frame, frameLength);
  m_objError.resetDataMissing();
  jpeg_read_header(&m_objDecompress, TRUE);
  if (!PictureSizeLimit::accepts(m_objDecompress.image_width, m_objDecompress.image_height)) {
    jpeg_abort_decompress(&m_objDecompress);
    return false;
  }
  // Always RGB, whatever the frame's colour space: the picture is 3 bytes a pixel. A colour space that
  // libjpeg cannot turn into RGB (CMYK) fails inside jpeg_start_decompress.
  m_objDecompress.out_color_space = JCS_RGB;
  if (!jpeg_start_decompress(&m_objDecompress) || m_objDecompress.output_components != 3) {
    jpeg_abort_decompress(&m_objDecompress);
    return false;
  }
  const size_t rowBytes = static_cast<size_t>(m_objDecompress.output_width) * 3;
  const size_t needed = rowBytes * (m_objDecompress.output_height + 1);
  // From here on the buffer no longer holds the last picture, whatever happens to this frame.
  m_bPictureHeld = false;
  if (!m_objRgb.reserve(needed)) {
    jpeg_abort_decompress(&m_objDecompress);
    return false;
  }
  while (m_objDecompress.output_scanline < m_objDecompress.output_height) {
    JSAMPROW row = m_objRgb.data() + rowBytes * m_objDecompress.output_scanline;
    jpeg_read_scanlines(&m_objDecompress, &row, 1);
  }
  // A frame cut short inside its picture data is dropped; one that lacks only its end marker is whole.
  if (m_objError.dataMissing()) {
    jpeg_abort_decompress(&m_objDecompress);
    return false;
  }
  jpeg_finish_decompress(&m_objDecompress);
  m_nWidth = static_cast<int>(m_objDecompress.output_width);
  m_nHeight = static_cast<int>(m_objDecompress.output_height);
  m_bPictureHeld = true;
  *length = static_cast<int>(needed);
  return true;
}
