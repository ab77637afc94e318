// The reply wait as a continuation, on a window thread whose clock the test
// moves: what ends it, what it hands on, and what happens once it is over.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "admin/ReplyWait.h"
#include "support/ManualWindowThread.h"

namespace admin {
namespace {

struct TextSlot : ReplySlot {
  std::string Text() const override { return "text"; }
};

struct ReplyWaitTest : ::testing::Test {
  // Starts wait on slot with a 5 s bound; what it reports lands in replies and timeOuts.
  void Start(
      ReplyWait& wait, const std::function<void()>& send = [] {}) {
    wait.Start(
        slot, send, REPLY_TIMEOUT_MS, [this](int32_t status) { replies.push_back(status); },
        [this] { ++timeOuts; });
  }

  ManualWindowThread window;
  TextSlot slot;
  std::vector<int32_t> replies;
  int timeOuts = 0;
};

TEST_F(ReplyWaitTest, TheReplyIsHandedOnInATaskOfItsOwnNotInsideTheSend) {
  ReplyWait wait(window);
  Start(wait, [&] {
    EXPECT_EQ(slot.Status(), REPLY_AWAITED);
    slot.SetStatus(3);  // a unit that answers before the send returns
  });
  EXPECT_TRUE(replies.empty());
  EXPECT_TRUE(wait.IsWaiting());
  window.Advance(1);
  EXPECT_EQ(replies, std::vector<int32_t>{3});
  EXPECT_FALSE(wait.IsWaiting());
  window.Advance(REPLY_TIMEOUT_MS);
  EXPECT_EQ(timeOuts, 0);
}

TEST_F(ReplyWaitTest, OnlyAStatusOtherThanTheMarkEndsTheWait) {
  ReplyWait wait(window);
  wait.Start(
      slot, [] {}, 1000, [this](int32_t status) { replies.push_back(status); }, [] {}, 7);
  EXPECT_EQ(slot.Status(), 7);
  slot.SetStatus(7);
  window.Advance(10);
  EXPECT_TRUE(replies.empty());
  slot.SetStatus(REPLY_AWAITED);
  window.Advance(1);
  EXPECT_EQ(replies, std::vector<int32_t>{REPLY_AWAITED});
}

TEST_F(ReplyWaitTest, SilenceTimesOutOnceAndALateReplyIsNotHandedOn) {
  ReplyWait wait(window);
  Start(wait);
  window.Advance(REPLY_TIMEOUT_MS - 1);
  EXPECT_EQ(timeOuts, 0);
  window.Advance(1);
  EXPECT_EQ(timeOuts, 1);
  slot.SetStatus(0);
  window.Advance(REPLY_TIMEOUT_MS);
  EXPECT_TRUE(replies.empty());
  EXPECT_EQ(timeOuts, 1);
  EXPECT_EQ(slot.Status(), 0);
}

TEST_F(ReplyWaitTest, AWaitThatIsGoneOrStartedAnewTellsNothing) {
  auto gone = std::make_unique<ReplyWait>(window);
  Start(*gone);
  gone.reset();
  ReplyWait restarted(window);
  Start(restarted);
  slot.SetStatus(1);  // stored, its hand-on pending
  Start(restarted);
  window.Advance(1);
  EXPECT_TRUE(replies.empty());
  slot.SetStatus(2);
  window.Advance(REPLY_TIMEOUT_MS);
  EXPECT_EQ(replies, std::vector<int32_t>{2});
  EXPECT_EQ(timeOuts, 0);
}

TEST_F(ReplyWaitTest, EveryWaitOnTheSlotHearsTheReplyAndMayStartAgainFromIt) {
  ReplyWait first(window), second(window);
  Start(first);
  second.Start(
      slot, [] {}, REPLY_TIMEOUT_MS,
      [&](int32_t status) {
        replies.push_back(status);
        Start(second);  // the next request of a sequence, from the continuation
      },
      [] {});
  slot.SetStatus(0);
  window.Advance(1);
  EXPECT_EQ(replies, (std::vector<int32_t>{0, 0}));
  EXPECT_TRUE(second.IsWaiting());
  EXPECT_EQ(slot.Status(), REPLY_AWAITED);
  slot.SetStatus(4);
  window.Advance(1);
  EXPECT_EQ(replies, (std::vector<int32_t>{0, 0, 4}));
}

TEST_F(ReplyWaitTest, ASendThatThrowsLeavesNoWaitBehind) {
  ReplyWait wait(window);
  EXPECT_THROW(Start(wait, [] { throw std::runtime_error("no link"); }), std::runtime_error);
  EXPECT_FALSE(wait.IsWaiting());
  slot.SetStatus(0);
  window.Advance(REPLY_TIMEOUT_MS);
  EXPECT_TRUE(replies.empty());
  EXPECT_EQ(timeOuts, 0);
}

}  // namespace
}  // namespace admin
