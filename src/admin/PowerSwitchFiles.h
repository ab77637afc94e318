#pragma once
// The unit's active power strip profile: read with GET_FILE, stored with
// PUT_FILE, after the checks that keep a broken profile off the unit.

#include <functional>
#include <string>
#include <string_view>

#include "admin/PowerStripLink.h"

namespace admin {

inline constexpr int STORE_POLLS = 50;

// Why text may not be stored on the unit, or empty. modemOnPort tells
// whether a modem is installed on the given serial port.
std::string StoreProblem(std::string_view text, const std::function<bool(int)>& modemOnPort);

// Both throw TextError with the text for the operator.
std::string LoadActiveProfile(const PowerStripLink& link);
void StoreActiveProfile(const PowerStripLink& link, std::string_view text);

// PUT_FILE's payload: both lengths with their terminating zeros, then the
// path and the data, each with its zero.
std::string PutFilePayload(std::string_view path, std::string_view data);

}  // namespace admin
