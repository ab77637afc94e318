#pragma once
// The unit's active power strip profile: read with GET_FILE, stored with
// PUT_FILE, after the checks that keep a broken profile off the unit. Both
// requests go out at once and end in a continuation, held by the caller's
// ReplyWait: a caller that goes away takes its continuation with it.

#include <functional>
#include <string>
#include <string_view>

#include "admin/PowerStripLink.h"

namespace admin {

// Gets the failure's text for the operator (empty when the profile was read)
// and the profile.
using ProfileLoaded = std::function<void(const std::string& failure, const std::string& text)>;

// Why text may not be stored on the unit, or empty. modemOnPort tells
// whether a modem is installed on the given serial port.
std::string StoreProblem(std::string_view text, const std::function<bool(int)>& modemOnPort);

// Both throw TextError when the request cannot go out; what the unit answers,
// or its silence, reaches the continuation.
void LoadActiveProfile(const PowerStripLink& link, ReplyWait& wait, ProfileLoaded loaded);
void StoreActiveProfile(const PowerStripLink& link, ReplyWait& wait, std::string_view text,
                        Finished stored);

// PUT_FILE's payload: both lengths with their terminating zeros, then the
// path and the data, each with its zero.
std::string PutFilePayload(std::string_view path, std::string_view data);

}  // namespace admin
