#include "Password.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "settings/MiscSettings.h"

namespace orbctl {
namespace {

// How the settings file says that it keeps no user name or password.
constexpr const char* NO_STORED_ANSWER = "~";

UsageError Unreadable(const std::string& path, int error) {
  return UsageError("--password-file: cannot read '" + path + "' (" + std::strerror(error) + ").");
}

// Read with plain descriptors so that a pipe (a shell's <(...)) serves as well
// as a file, and only up to the first line's end.
std::string FirstLine(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw Unreadable(path, errno);
  std::string text;
  char buffer[256];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      const int error = errno;
      ::close(fd);
      throw Unreadable(path, error);
    }
    if (got == 0) break;
    text.append(buffer, static_cast<size_t>(got));
    if (text.find('\n') != std::string::npos) break;
  }
  ::close(fd);
  text.erase(std::min(text.find('\n'), text.size()));
  if (!text.empty() && text.back() == '\r') text.pop_back();
  return text;
}

}  // namespace

std::optional<std::string> GivenPassword(const Options& options) {
  if (options.password) return options.password;
  if (options.passwordFile) return FirstLine(*options.passwordFile);
  const char* variable = std::getenv(PASSWORD_VARIABLE);
  if (variable != nullptr && *variable != '\0') return std::string(variable);
  return std::nullopt;
}

void RequireAnswerableLogin(bool userGiven, bool passwordGiven, settings::IniFile& ini) {
  if (::isatty(STDIN_FILENO)) return;
  const auto stored = [&ini](const char* key) {
    return !settings::ReadMisc(ini, key).starts_with(NO_STORED_ANSWER);
  };
  if (!userGiven && !stored("UserID")) throw UsageError(NO_USER_TEXT);
  if (!passwordGiven && !stored("Password")) throw UsageError(NO_PASSWORD_TEXT);
}

}  // namespace orbctl
