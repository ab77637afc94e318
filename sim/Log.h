#pragma once
// The simulator's diagnostics go to standard error, one line each, only when verbose; standard
// output is kept for the "LISTENING" and "SESSION ..." lines and what the flags ask to log.

namespace sim {

void SetVerbose(bool on);
bool Verbose();
// printf-style; a line feed is added.
void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The same, whether verbose or not: for what the operator of the simulator must see.
void Warn(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace sim
