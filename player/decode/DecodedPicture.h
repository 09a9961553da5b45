#pragma once
#include <cstdint>

// A decoded planar 4:2:0 picture as plane pointers and line sizes: only the first three (Y, U, V) are
// filled. The pointers belong to whoever made the record and stay valid until its next decode or close.
struct DecodedPicture {
  uint8_t* data[4] = {nullptr, nullptr, nullptr, nullptr};
  int linesize[4] = {0, 0, 0, 0};
};
