// A unit that dies mid-session, killed or shut down, is reported at once: the
// "Socket closed." dialog within 2 s, answered by Return, the window usable
// meanwhile and afterwards, nothing stale from the keep-alive watch later,
// and Ctrl+Shift+C (the tool bar's Connect) reaches the unit again when it is
// back on its port, whether it came from the address book or from -ConnectTo.

#include <signal.h>

#include "OperatorTest.h"

namespace acceptance {
namespace {

struct Loss {
  const char* name;
  int signal;
  bool commandLine;
};
constexpr Loss LOSSES[] = {
    {"killed, reached from the address book", SIGKILL, false},
    {"shut down, reached from the address book", SIGTERM, false},
    {"killed, reached by -ConnectTo", SIGKILL, true},
};

// The shortest keep-alive watch that a live unit, with a keep-alive every
// second, never trips; a watch that outlived the link would speak well within
// the time watched.
constexpr const char* KEEP_ALIVE_SECONDS = "3";
const std::vector<std::string> UNIT_FLAGS = {"--keepalive-s", "1"};
constexpr auto STALE_WATCH = std::chrono::seconds(6);
constexpr auto REPORT_BOUND = std::chrono::seconds(2);

}  // namespace

TEST_P(Operator, ALostUnitIsReportedAtOnceAndTheWindowReconnects) {
  for (const Loss& loss : LOSSES) {
    SCOPED_TRACE(loss.name);
    StartUnit(0, UNIT_FLAGS);
    const int port = Unit().Port();
    WriteSettings(Unit().Address(), false, {{"KeepAliveTime", KEEP_ALIVE_SECONDS}});
    if (loss.commandLine) {
      ASSERT_NO_FATAL_FAILURE(StartViewer({"-ConnectTo", Unit().Address()}));
    } else {
      ASSERT_NO_FATAL_FAILURE(StartViewer());
      ASSERT_NO_FATAL_FAILURE(ClickStatusBar());
      ASSERT_NO_FATAL_FAILURE(ConnectFromBook());
    }
    ASSERT_NO_FATAL_FAILURE(LogIn());
    // The first keep-alives come, so the viewer watches for the next ones.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));

    const auto lost = std::chrono::steady_clock::now();
    Unit().Kill(loss.signal);
    Window report = None;
    ASSERT_NO_FATAL_FAILURE(WaitForDialog("Socket closed.", report));
    EXPECT_LE(std::chrono::steady_clock::now() - lost, REPORT_BOUND)
        << "the loss was reported late";
    EXPECT_TRUE(X().Repaints(Main(), 2000)) << "the window does not repaint under the dialog";
    X().TypeKeysym(XK_Return);
    ASSERT_TRUE(X().WaitForWindowGone(report, DIALOG_MS)) << "Return did not close the dialog";
    EXPECT_TRUE(X().Repaints(Main(), 2000)) << "the window does not repaint";
    if (!loss.commandLine) {
      X().Chord({XK_Alt_L, XK_v});
      EXPECT_TRUE(X().WaitForMenu(true, MENU_MS)) << "the View menu does not open";
      X().TypeKeysym(XK_Escape);
      EXPECT_TRUE(X().WaitForMenu(false, MENU_MS));
    }
    const auto watched = STALE_WATCH - (std::chrono::steady_clock::now() - lost);
    const std::optional<std::string> later = OtherWindowWithin(static_cast<int>(std::max<int64_t>(
        0, std::chrono::duration_cast<std::chrono::milliseconds>(watched).count())));
    EXPECT_FALSE(later) << "a dialog came later: \"" << later.value_or("") << "\"";
    if (later) X().TypeKeysym(XK_Return);

    StartUnit(port, UNIT_FLAGS);
    X().Chord({XK_Control_L, XK_Shift_L, XK_c});
    ASSERT_NO_FATAL_FAILURE(LogIn()) << "Ctrl+Shift+C did not connect again";
  }
}

}  // namespace acceptance
