#pragma once
// printf-style formatting into a std::string, for the system's texts that are
// defined with printf formats ("error code %d", "Buffer size: %d\n" ...).

#include <cstdarg>
#include <string>

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatV(const char* format, va_list args);
