#include "media/EncoderType.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(EncoderType, DisplayNames) {
  struct Case {
    int code;
    const char* name;
  } cases[] = {{0, "Mpeg4"},   {1, "H.264"},   {2, "MJpeg"},   {3, "Svr"},     {4, "H.264"},
               {5, "H.264"},   {101, "G7231"}, {102, "G711A"}, {103, "G711U"}, {104, "G722"},
               {105, "G726"},  {106, "G729"},  {107, "AMR"},   {108, "RAW_PCM"}, {255, "UNKNOWN"},
               {7, "UNKNOWN"}, {200, "UNKNOWN"}, {-1, "UNKNOWN"}, {100, "UNKNOWN"}, {109, "UNKNOWN"}};
  for (const Case& c : cases) {
    char name[kEncoderTypeNameMinSize];
    std::memset(name, 'x', sizeof(name));
    getEncoderTypeName(c.code, name);
    EXPECT_STREQ(name, c.name) << c.code;
    EXPECT_STREQ(encoderTypeName(c.code), c.name) << c.code;
  }
  getEncoderTypeName(1, nullptr);  // ignored, no crash
}
