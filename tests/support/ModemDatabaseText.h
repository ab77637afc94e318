#pragma once
// modems.ini as the tests install it: a Hayes modem and a direct cable, both
// on the given port (a pseudo-terminal's path).

#include <fstream>
#include <string>

inline constexpr const char* TEST_MODEM = "Test Hayes MODEM";
inline constexpr const char* TEST_CABLE = "Communications cable between two computers";

inline std::string TestModemDatabase(const std::string& port) {
  return "[Hayes]\n"
         "Model=" +
         std::string(TEST_MODEM) +
         "\n"
         "AttachedTo=" +
         port +
         "\n"
         "Reset=ATZ<cr>\n"
         "Init.2=ATS0=0<cr>\n"
         "Init.1=AT&F<cr>\n"
         "Answer=ATA<cr>\n"
         "Hangup=ATH<cr>\n"
         "Settings.Prefix=AT\n"
         "Settings.Terminator=<cr>\n"
         "Settings.DialPrefix=D\n"
         "Settings.Tone=T\n"
         "Settings.Pulse=P\n"
         "Settings.ErrorControl_Forced=\\N4\n"
         "Settings.FlowControl_Hard=&K3\n"
         "Settings.Compression_Off=%C0\n"
         "Response.<cr><lf>OK<cr><lf>=0\n"
         "Response.<cr><lf>CONNECT 57600<cr><lf>=2\n"
         "Response.<cr><lf>CONNECT 115200<cr><lf>=2\n"
         "Response.<cr><lf>ERROR<cr><lf>=3\n"
         "Response.<cr><lf>NO CARRIER<cr><lf>=4\n"
         "Response.<cr><lf>BUSY<cr><lf>=6\n"
         "Response.<cr><lf>RING<cr><lf>=8\n"
         "\n"
         "[Cable]\n"
         "Model=" +
         std::string(TEST_CABLE) +
         "\n"
         "AttachedTo=" +
         port + "\n";
}

inline void WriteTestModemDatabase(const std::string& path, const std::string& port) {
  std::ofstream(path) << TestModemDatabase(port);
}
