#include "player/render/JpegWriter.h"

#include "technic/BinaryFile.h"

JpegWriter::~JpegWriter() {
  if (m_bCreated) jpeg_destroy_compress(&m_objCompress);
}

int JpegWriter::initJpegCompress() {
  if (m_bCreated) return 0;
  m_objCompress.err = m_objError.install();
  if (setjmp(m_objError.jumpBuffer()) != 0) {
    jpeg_destroy_compress(&m_objCompress);
    return -1;
  }
  jpeg_create_compress(&m_objCompress);
  m_bCreated = true;
  return 0;
}

bool JpegWriter::writeJpegFile(const std::string& path, int width, const uint8_t* pixels, int height) {
  if (path.empty() || path.size() > kMaxPath) return false;
  if (!m_bCreated || pixels == nullptr || width <= 0 || height <= 0) return false;
  FILE* file = BinaryFile::createStream(path.c_str());
  if (file == nullptr) return false;
  const bool written = compressInto(file, width, pixels, height);
  const bool closed = std::fclose(file) == 0;
  return written && closed;
}

bool JpegWriter::compressInto(FILE* file, int width, const uint8_t* pixels, int height) {
  if (setjmp(m_objError.jumpBuffer()) != 0) {
    jpeg_abort_compress(&m_objCompress);
    return false;
  }
  jpeg_stdio_dest(&m_objCompress, file);
  m_objCompress.image_width = static_cast<JDIMENSION>(width);
  m_objCompress.image_height = static_cast<JDIMENSION>(height);
  m_objCompress.input_components = 3;
  m_objCompress.in_color_space = JCS_RGB;
  jpeg_set_defaults(&m_objCompress);
  jpeg_set_quality(&m_objCompress, 100, TRUE);
  jpeg_start_compress(&m_objCompress, TRUE);
  const size_t rowBytes = static_cast<size_t>(width) * 3;
  while (m_objCompress.next_scanline < m_objCompress.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(pixels + rowBytes * m_objCompress.next_scanline);
    jpeg_write_scanlines(&m_objCompress, &row, 1);
  }
  jpeg_finish_compress(&m_objCompress);
  return true;
}
