#pragma once
#include <cstddef>
#include <cstdint>

// Types shared by the whole player interface: window handles, the decoded-frame record handed to the
// decode callback, the draw context, the callback signatures and the end-of-file message.

// Windows cross the interface as the 32-bit ids of the window layer, never as pointers.
using HWND = std::uint32_t;

// The decoded-frame record passed to the decode callback: five ints in this order.
struct FRAME_INFO {
  int width;
  int height;
  int timeStamp;  // the frame's timestamp divided by 90
  int type;       // FRAME_TYPE_I420 for planar I420 pictures
  int frameRate;
};
static_assert(sizeof(FRAME_INFO) == 5 * sizeof(int), "FRAME_INFO is five packed ints");
static_assert(offsetof(FRAME_INFO, width) == 0 && offsetof(FRAME_INFO, height) == sizeof(int) &&
                  offsetof(FRAME_INFO, timeStamp) == 2 * sizeof(int) &&
                  offsetof(FRAME_INFO, type) == 3 * sizeof(int) &&
                  offsetof(FRAME_INFO, frameRate) == 4 * sizeof(int),
              "FRAME_INFO field order is part of the interface");

constexpr int FRAME_TYPE_I420 = 5;

// What the draw callback receives in place of a device context: the drawn picture, valid only during
// the call. The callee may draw into it (overlays); imageFormat is the renderer's pixel layout id.
struct DrawContext {
  unsigned char* bits;
  int pitch;  // bytes per row
  int width;
  int height;
  int imageFormat;
};
using HDC = DrawContext*;

// The user pointer given at registration is passed back unchanged.
// After each decoded picture: packed planar I420, size = width * height * 3 / 2. The result is not used.
typedef long (*DecodeCallBack)(long port, const char* picture, long size, FRAME_INFO* info, void* user);
// After each drawn picture, with the drawn surface.
typedef long (*DrawCallBack)(long port, HDC dc, void* user);
// At the end of a file, after the end-of-file window message.
typedef void (*FileEndCallback)(long id, void* user);
// For every chunk of transport-stream bytes to record; reserved is always null.
typedef int (*RecordDataCallback)(void* reserved, const char* data, int length, void* user);

// The message the player application registers for the end of a file (WM_USER + 1000).
constexpr unsigned int WM_FILE_END = 0x0400 + 1000;
static_assert(WM_FILE_END == 0x7E8, "WM_FILE_END is WM_USER + 1000");
