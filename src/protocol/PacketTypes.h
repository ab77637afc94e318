#pragma once
// The packet types of the wire protocol, by their wire numbers.

#include <cstdint>

inline constexpr uint8_t SEGMENT = 10;
inline constexpr uint8_t MULTISEGMENT = 11;
inline constexpr uint8_t GRAB_SOURCE = 15;
inline constexpr uint8_t VERSION_STRING_PACKET = 17;
inline constexpr uint8_t KBD = 20;
inline constexpr uint8_t KBD_LEDS = 26;
inline constexpr uint8_t MOUSE = 30;
inline constexpr uint8_t FLASH_UPDATE = 40;
inline constexpr uint8_t KEEP_ALIVE = 45;
inline constexpr uint8_t PING = 46;
inline constexpr uint8_t PING_RESPONSE = 47;
inline constexpr uint8_t DISCONNECT = 50;
inline constexpr uint8_t TEXT_MSG = 60;
inline constexpr uint8_t FILL_BMP_WITH_COLOR = 65;
inline constexpr uint8_t RESIZE = 70;
inline constexpr uint8_t NEW_SIZE = 73;
inline constexpr uint8_t SET_COLOR_REDUCTION = 75;
inline constexpr uint8_t CHANGE_COLOR_LO_HI = 80;
inline constexpr uint8_t TELL_SERVERS_SELECTED = 90;
inline constexpr uint8_t CHANGE_QUADRANT = 100;
inline constexpr uint8_t ONE_TO_ONE = 110;
inline constexpr uint8_t VIEWER_RESOLUTION_STRING = 115;
inline constexpr uint8_t GET_FILE = 122;
inline constexpr uint8_t PUT_FILE = 124;
inline constexpr uint8_t SERIAL_OPEN = 126;
inline constexpr uint8_t SERIAL_CLOSE = 127;
inline constexpr uint8_t SERIAL_WRITE = 128;
inline constexpr uint8_t SERIAL_READ = 129;
inline constexpr uint8_t SWITCH_KEYSTROKES = 130;
inline constexpr uint8_t VIDEO_OFFSETS = 135;
inline constexpr uint8_t MISC_CONFIG = 140;
inline constexpr uint8_t MISC_CONFIG_DATA = 141;
inline constexpr uint8_t USERS_LIST = 150;
inline constexpr uint8_t THROUGHPUT_TEST_PACKET = 170;
inline constexpr uint8_t THROUGHPUT_OBSERVED = 180;
inline constexpr uint8_t THROUGHPUT_REQUEST_TEST = 190;
inline constexpr uint8_t ASK_USER_QUESTIONS = 200;
inline constexpr uint8_t QUESTION_REPLIES = 210;
inline constexpr uint8_t LOGGED_IN = 230;
inline constexpr uint8_t CALL_BACK = 232;
inline constexpr uint8_t HAND_SHAKE = 235;
inline constexpr uint8_t REPAINT = 240;
inline constexpr uint8_t RESEND_FROM = 242;
inline constexpr uint8_t ERROR_RESYNC = 243;
inline constexpr uint8_t TUNE_VIDEO = 245;
inline constexpr uint8_t SERVER_CONFIG_DATA = 247;
inline constexpr uint8_t SWITCH_SETTINGS = 250;
inline constexpr uint8_t REQUEST_SWITCH_SETTINGS = 252;

// The name traced for a packet type; "Unknown" for numbers without one (the
// file and serial types 122 to 129 included).
const char* PacketTypeName(int type);
