#pragma once
// Offscreen windows for tests, benchmarks and outside checks: windows with no screen behind them that
// draw through the memory display into a framebuffer of their own. Every function is safe from any
// thread.
#include <cstdint>
#include <vector>

#include "platform/WindowSystem.h"

using HWND = std::uint32_t;
using platform::WindowMessage;

// A top-level window at the virtual screen's origin with a client area of the given size (no frame):
// its id, never 0.
HWND createOffscreenWindow(int clientWidth, int clientHeight);
// Closes it: its id becomes unknown to the window layer and what was posted to it is dropped.
void destroyOffscreenWindow(HWND window);
// The client area's pixels, rows top-down, 32-bit B, G, R, A (A always 255). False for an unknown window.
bool readWindowPixels(HWND window, std::vector<uint32_t>& bgra, int& width, int& height);
// Moves what was posted to the window (in posting order) into out, and the repaint requests as
// WM_PAINT messages; returns how many were moved.
int pumpWindowMessages(HWND window, std::vector<WindowMessage>& out);

// The message standing for a repaint request (invalidate) in pumped messages.
constexpr std::uint32_t WM_PAINT = 0x000F;
