#include "platform/image/JpegWriter.h"

#include <QFile>
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace pvx::platform::image {

namespace {

// libjpeg ends the process on errors unless the handler jumps back out.
struct TErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf back;
};

void JumpBack(j_common_ptr info) { std::longjmp(reinterpret_cast<TErrorManager*>(info->err)->back, 1); }

// The parts that touch setjmp hold no C++ objects, so the jump skips no destructor.
bool Compress(const QImage& rgb, FILE* file, int quality) {
  jpeg_compress_struct info{};
  TErrorManager errors{};
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = JumpBack;
  if (setjmp(errors.back)) {
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = JDIMENSION(rgb.width());
  info.image_height = JDIMENSION(rgb.height());
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    auto* row = const_cast<JSAMPLE*>(rgb.constScanLine(int(info.next_scanline)));
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

}  // namespace

bool WriteJpegFile(const QImage& picture, const QString& path, int quality) {
  if (picture.isNull()) return false;
  const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
  FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
  if (!file) return false;
  const bool written = Compress(rgb, file, quality);
  return std::fclose(file) == 0 && written;
}

}  // namespace pvx::platform::image
