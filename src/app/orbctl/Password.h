#pragma once
// Where orbctl's login password comes from. --password is shown to every
// local user in the process list, so a file or the environment may hold it
// instead; without any of them the settings file or the terminal answers.

#include <optional>
#include <string>

#include "Options.h"
#include "settings/IniFile.h"

namespace orbctl {

inline constexpr const char* PASSWORD_VARIABLE = "ORB_PASSWORD";
inline constexpr const char* NO_PASSWORD_TEXT =
    "No password: give --password-file, ORB_PASSWORD or --password, or run on a terminal.";

// --password, else the first line of --password-file, else ORB_PASSWORD when
// set and not empty; nothing when none is given. Throws UsageError naming a
// password file that cannot be read.
std::optional<std::string> GivenPassword(const Options& options);

inline constexpr const char* NO_USER_TEXT =
    "No user name to log in with: give --user, or store UserID in the MISC section.";

// Throws UsageError when the login would have to ask for the user name
// (NO_USER_TEXT) or the password (NO_PASSWORD_TEXT) and there is no terminal
// to ask: not given, the settings file holds none either, and standard input
// is not a terminal. Checked before connecting, so nothing is sent in vain.
void RequireAnswerableLogin(bool userGiven, bool passwordGiven, settings::IniFile& ini);

}  // namespace orbctl
