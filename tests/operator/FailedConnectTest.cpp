// A unit that cannot be reached, on a closed port or by a name no server
// knows, is reported in a dialog that waits for the operator, while the
// window answers all along; once the dialog is answered the window is usable.

#include <netinet/in.h>
#include <sys/socket.h>

#include "OperatorTest.h"

namespace acceptance {
namespace {

// A loopback port nothing listens on: one the system just handed out and took back.
int ClosedLoopbackPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(fd);
  return ntohs(address.sin_port);
}

// How long the window is watched while the attempt runs and its report waits.
constexpr auto WATCHED = std::chrono::seconds(3);

}  // namespace

TEST_P(Operator, AnUnreachableUnitIsReportedWhileTheWindowRepaints) {
  struct Unreachable {
    const char* what;
    std::string address;
  };
  const Unreachable units[] = {
      {"a refused port", "127.0.0.1:" + std::to_string(ClosedLoopbackPort())},
      {"an unknown host", "no-such-unit.invalid"},
  };
  for (const Unreachable& unit : units) {
    SCOPED_TRACE(unit.what);
    WriteSettings(unit.address, false);
    ASSERT_NO_FATAL_FAILURE(StartViewer());
    ASSERT_NO_FATAL_FAILURE(ClickStatusBar());
    ASSERT_NO_FATAL_FAILURE(ConnectFromBook());
    const std::optional<std::string> dialog = OtherWindowWithin(DIALOG_MS);
    ASSERT_TRUE(dialog) << "nothing came up";
    const auto until = std::chrono::steady_clock::now() + WATCHED;
    while (std::chrono::steady_clock::now() < until)
      ASSERT_TRUE(X().Repaints(Main(), 1000)) << "the window stopped repainting";
    // The report waits for the operator; Return answers each dialog in turn.
    for (int answered = 0; answered < 3; ++answered) {
      const std::optional<std::string> waiting = OtherWindowWithin(1000);
      if (!waiting) break;
      EXPECT_NO_FATAL_FAILURE(AnswerDialog(*waiting, XK_Return));
    }
    EXPECT_FALSE(OtherWindowWithin(0)) << "a dialog stays: " << Shown();
    X().Chord({XK_Alt_L, XK_v});
    EXPECT_TRUE(X().WaitForMenu(true, MENU_MS)) << "the View menu does not open";
    X().TypeKeysym(XK_Escape);
    EXPECT_TRUE(X().WaitForMenu(false, MENU_MS));
    EXPECT_TRUE(Viewer().Running());
  }
}

}  // namespace acceptance
