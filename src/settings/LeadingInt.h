#pragma once
// Numbers in settings are decimal text read by their leading integer, as the
// C library's atoi does: blanks, an optional sign, then digits; text that does
// not start with a number reads as 0. Values beyond int are clamped rather than
// wrapped, so a huge number never turns into a small or negative one.

#include <string_view>

namespace settings {

int LeadingInt(std::string_view text);

}  // namespace settings
