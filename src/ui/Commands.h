#pragma once
// The main window's command ids; toolbar buttons share their menu entry's id.

#include <cstdint>

namespace ui {

inline constexpr uint32_t ID_FILE_SAVE_BITMAP = 32808;
inline constexpr uint32_t ID_FILE_FLASH_UPDATE = 32809;
inline constexpr uint32_t ID_APP_EXIT = 57665;
inline constexpr uint32_t ID_CONNECT = 32772;
inline constexpr uint32_t ID_DISCONNECT = 32792;
inline constexpr uint32_t ID_VIEW_SCALED = 32844;
inline constexpr uint32_t ID_VIEW_SCROLLED = 32845;
inline constexpr uint32_t ID_VIEW_AUTO_SIZE = 32892;
inline constexpr uint32_t ID_VIEW_DONT_ENLARGE = 32893;
inline constexpr uint32_t ID_VIEW_SINGLE = 32846;
inline constexpr uint32_t ID_VIEW_QUAD = 32847;
inline constexpr uint32_t ID_VIEW_TOOLBAR = 59392;
inline constexpr uint32_t ID_VIEW_STATUS_BAR = 59393;
inline constexpr uint32_t ID_VIEW_ONE_TO_ONE = 32811;
inline constexpr uint32_t ID_VIEW_FULL_SCREEN = 32774;
inline constexpr uint32_t ID_VIEW_REFRESH = 32834;
inline constexpr uint32_t ID_VIEW_PASS_THROUGH = 32785;
inline constexpr uint32_t ID_VIEW_TOPMOST = 32926;
inline constexpr uint32_t ID_REMOTE_ALT_TAB = 32826;
inline constexpr uint32_t ID_REMOTE_CTRL_ALT_DEL = 32815;
inline constexpr uint32_t ID_SYS_KEYS_REMOTE = 32858;
inline constexpr uint32_t ID_SYS_KEYS_LOCAL = 32859;
inline constexpr uint32_t ID_EXIT_BY_HOTKEY = 32860;
inline constexpr uint32_t ID_EXIT_BY_FAST_MOUSE = 32861;
inline constexpr uint32_t ID_EXIT_BY_SLOW_MOUSE = 32862;
inline constexpr uint32_t ID_SETTINGS_CONNECTIONS = 32865;
inline constexpr uint32_t ID_SETTINGS_KEYBOARD_MOUSE = 32873;
inline constexpr uint32_t ID_SETTINGS_SECURITY = 32867;
inline constexpr uint32_t ID_SETTINGS_SWITCH = 32868;
inline constexpr uint32_t ID_SETTINGS_POWER_STRIP = 32869;
inline constexpr uint32_t ID_TEACH_FULL_SCREEN = 32880;
inline constexpr uint32_t ID_TEACH_PASS_THROUGH = 32877;
inline constexpr uint32_t ID_REPAINT_LOCALLY = 32817;
inline constexpr uint32_t ID_HELP_TOPICS = 32863;
inline constexpr uint32_t ID_HELP_WEB = 32864;
inline constexpr uint32_t ID_APP_ABOUT = 57664;

// Diagnostics of the Debug menu.
inline constexpr uint32_t ID_ASSESS_THROUGHPUT = 32831;
inline constexpr uint32_t ID_FORCE_LOW_SPEED = 32832;
inline constexpr uint32_t ID_FORCE_HIGH_SPEED = 32833;
inline constexpr uint32_t ID_VIDEO_FROM_GRAB = 32882;
inline constexpr uint32_t ID_VIDEO_RED_SCREEN = 32883;
inline constexpr uint32_t ID_VIDEO_RED_SCREEN_FLASH_BOX = 32884;
inline constexpr uint32_t ID_VIDEO_FROM_X = 32885;
inline constexpr uint32_t ID_TUNE_VIDEO = 32895;
inline constexpr uint32_t ID_TEST_ERROR_DIALOG = 32896;
inline constexpr uint32_t ID_ABOUT_DETAILED = 32897;
inline constexpr uint32_t ID_TEST_ALT_TAB = 32898;

// The Edit menu.
inline constexpr uint32_t ID_EDIT_PASTE_KEYSTROKES = 32960;
inline constexpr uint32_t ID_EDIT_COPY_SCREEN = 32961;

// The Connect menu's way to a unit not yet in the address book.
inline constexpr uint32_t ID_CONNECT_TO = 32962;

}  // namespace ui
