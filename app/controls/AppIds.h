#pragma once
#include <cstdint>

// The application's internal protocol: the control, command and message ids that its windows exchange.
// Buttons and menus send commands, sliders and the splitter send notifications, and windows post
// messages to each other; every one of them travels as an AppMessageEvent (AppMessage.h).
namespace app {

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// Message numbers.
constexpr std::uint32_t WM_NOTIFY = 0x004E;
constexpr std::uint32_t WM_COMMAND = 0x0111;
constexpr std::uint32_t WM_TIMER = 0x0113;
constexpr std::uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr std::uint32_t WM_USER = 0x0400;
constexpr std::uint32_t WM_FILE_END = WM_USER + 1000;         // end of the open file, from the engine
constexpr std::uint32_t WM_VIDEO_DOUBLE_CLICK = WM_USER + 1010;  // from the video window
constexpr std::uint32_t WM_VIDEO_CONTEXT_MENU = WM_USER + 1011;  // from the video window
constexpr std::uint32_t WM_SLIDER_MOVE = WM_USER + 12000;        // mouse moved over a bitmap slider
constexpr std::uint32_t WM_SLIDER_CLICK = WM_USER + 12001;       // left press on a bitmap slider

// Notification codes (WM_COMMAND high word, WM_NOTIFY header code).
constexpr std::uint32_t BN_CLICKED = 0;
constexpr std::uint32_t LBN_SELCHANGE = 1;
constexpr std::uint32_t LBN_DBLCLK = 2;
constexpr std::uint32_t NM_RELEASEDCAPTURE = 0u - 16u;
constexpr std::uint32_t SPLITTER_MOVED = WM_USER + 1;

// Mouse key flags carried in wParam of the mouse messages.
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;

// Controls of the main window.
enum ControlId : std::uint32_t {
  IDC_MAXIMIZE = 1000,
  IDC_MINIMIZE = 1001,
  IDC_CLOSE = 1002,
  IDC_FULLSCREEN = 1003,
  IDC_OPEN = 1004,
  IDC_SEEK_SLIDER = 1005,
  IDC_VOLUME_SLIDER = 1006,
  IDC_SETTINGS = 1007,
  IDC_PLAY = 1013,
  IDC_STOP = 1014,
  IDC_SLOW = 1015,
  IDC_FAST = 1016,
  IDC_SNAPSHOT = 1017,
  IDC_SOUND = 1018,
  IDC_PREVIOUS_FRAME = 1019,
  IDC_NEXT_FRAME = 1020,
  IDC_PREVIOUS_FILE = 1021,
  IDC_NEXT_FILE = 1022,
  IDC_PAUSE = 1023,
  IDC_EXPAND = 1024,
  // Play-list panel.
  IDC_LIST_CLEAR = 1025,
  IDC_LIST_SELECT = 1026,
  IDC_LIST_DELETE = 1027,
  IDC_LIST_MODE = 1028,
  IDC_LIST_ADD = 1029,
  IDC_SPLITTER = 1030,
  IDC_LIST_BOX = 1033,
  // Status texts of the video window.
  IDC_STATE_TEXT = 30000,
  IDC_TIME_TEXT = 30001,
  IDC_FRAME_TEXT = 30002,
};

// Commands of the menus and the accelerator table.
enum CommandId : std::uint32_t {
  ID_ABOUT = 3024,
  ID_TOPMOST = 3025,
  ID_INIT_SHOW_LIST = 3026,
  ID_MODE_SINGLE = 3027,
  ID_MODE_ORDER = 3028,
  ID_MODE_CIRCLE = 3029,
  ID_MODE_SINGLE_CIRCLE = 3030,
  ID_SNAPSHOT_PATH = 3031,
  ID_LANGUAGE_ENGLISH = 3032,
  ID_LANGUAGE_CHINESE = 3033,
  ID_VIDEO_STRETCH = 3034,
  ID_MENU_OPEN = 4024,
  ID_MENU_PLAY_PAUSE = 4025,
  ID_MENU_STOP = 4026,
  ID_MENU_NEXT_FRAME = 4027,
  ID_MENU_PREVIOUS_FRAME = 4028,
  ID_MENU_SLOW = 4029,
  ID_MENU_FAST = 4030,
  ID_MENU_SNAPSHOT = 4031,
  ID_MENU_FULLSCREEN = 4032,
  ID_MENU_EXIT_FULLSCREEN = 4033,
  ID_DELETE_LIST_ITEMS = 5024,
};

// Timers.
constexpr std::uint32_t TIMER_PLAY_POSITION = 15000;
constexpr std::uint32_t TIMER_AUTO_SCROLL = 150;

constexpr WPARAM makeCommandWParam(std::uint32_t id, std::uint32_t notifyCode) {
  return (static_cast<WPARAM>(notifyCode & 0xFFFFu) << 16) | (id & 0xFFFFu);
}
constexpr std::uint32_t commandId(WPARAM wParam) { return static_cast<std::uint32_t>(wParam & 0xFFFFu); }
constexpr std::uint32_t commandCode(WPARAM wParam) { return static_cast<std::uint32_t>((wParam >> 16) & 0xFFFFu); }

}  // namespace app
