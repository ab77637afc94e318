#include <gtest/gtest.h>

#include <functional>

#include "sim/RunningUnit.h"
#include "sim/ViewerClient.h"

using client::Bytes;
using client::Viewer;

namespace {

Bytes AckOf(Bytes request) {
  request[0] = 32;
  return request;
}

}  // namespace

TEST(SimNegotiation, AcknowledgesTheViewerAndProposesItsOptionsByteForByte) {
  RunningUnit running;
  Viewer viewer(running.port);
  viewer.Write(Viewer::ViewerRequest());
  EXPECT_EQ(viewer.Read(23), AckOf(Viewer::ViewerRequest()));

  const Bytes proposal = {31, 1, 40, 0,                                  // request 1, 40 bytes
                          1,  1, 0,  0,                                  // protocol 0
                          2,  7, 0,  'O', 'R', 'B', '2', '.', '1', '0',  // version
                          3,  1, 0,  7,                                  // encryption types
                          4,  1, 0,  13,                                 // encryption
                          5,  4, 0,  0,   0,   0,   0,                   // inactivity
                          6,  1, 0,  13,                                 // special type
                          7,  4, 0,  3,   0,   0,   0};                  // segment mode
  EXPECT_EQ(viewer.Read(proposal.size()), proposal);

  // The viewer rejects "encryption types": the unit proposes the rest again under a new id.
  viewer.Write({34, 1, 4, 0, 3, 1, 0, 7});
  Viewer::NegPacket again = viewer.ReadNeg();
  EXPECT_EQ(again.kind, 31);
  EXPECT_EQ(again.id, 2);
  EXPECT_EQ(again.Find(3), nullptr);
  EXPECT_EQ(again.options.size(), 6u);

  again.kind = 32;
  viewer.Write(Viewer::Serialize(again));
  EXPECT_EQ(viewer.ReceiveType(200).subtype, 4);  // framed packets follow: the login
}

TEST(SimNegotiation, NarrowsTheCipherMaskAndTakesACounterProposal) {
  sim::UnitOptions options;
  options.encryptionTypes = 4;
  options.encryption = 20;
  options.versionString.reset();
  RunningUnit running(options);
  Viewer viewer(running.port);

  const Viewer::NegPacket agreed = viewer.Negotiate();
  ASSERT_NE(viewer.UnitAck().Find(3), nullptr);
  EXPECT_EQ(viewer.UnitAck().Find(3)->data, Bytes{4});
  EXPECT_EQ(agreed.Find(2), nullptr);
  ASSERT_NE(agreed.Find(4), nullptr);
  EXPECT_EQ(agreed.Find(4)->data, Bytes{13});  // the viewer's counter value, adopted
  EXPECT_EQ(viewer.Login("admin", "admin"), 2);
}

TEST(SimNegotiation, ASecondViewerIsToldTheUnitIsBusy) {
  RunningUnit running;
  Viewer first(running.port);
  first.Negotiate();

  Viewer second(running.port);
  second.Write(Viewer::ViewerRequest());
  second.ReadNeg();
  const Viewer::NegPacket request = second.ReadNeg();
  ASSERT_NE(request.Find(1), nullptr);
  EXPECT_EQ(request.Find(1)->data, Bytes{1});
  second.Write(Viewer::Serialize({34, request.id, {*request.Find(1)}}));
  EXPECT_TRUE(second.ClosedByUnit());

  EXPECT_EQ(first.Login("admin", "admin"), 2);  // the first viewer is served on
}

TEST(SimNegotiation, AnAlwaysBusyUnitRefusesTheOnlyViewer) {
  sim::UnitOptions options;
  options.busy = true;
  RunningUnit running(options);
  Viewer viewer(running.port);
  viewer.Write(Viewer::ViewerRequest());
  viewer.ReadNeg();
  EXPECT_EQ(viewer.ReadNeg().Find(1)->data, Bytes{1});
}

TEST(SimNegotiation, BrokenInputClosesTheConnectionAndTheNextViewerIsServed) {
  RunningUnit running;
  const std::function<void(Viewer&)> breakers[] = {
      [](Viewer& v) {
        v.Write({'G', 'E', 'T', ' ', '/'});
      },
      [](Viewer& v) {
        v.Negotiate();
        v.ReceiveType(200);
        v.Write({0x71, 0x76, 5, 0, 1, 0, 46, 0, 0, 0, 7, 1, 2, 3, 4});  // wrong checksum
      },
      [](Viewer& v) {
        v.Negotiate();
        v.ReceiveType(200);
        // Marked encrypted before any cipher was agreed.
        v.Write(
            {0x71, 0x76, 12, 0, 8, 0, 46, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x69, 0xDF, 0x22, 0x65});
      },
  };
  for (const auto& breaker : breakers) {
    Viewer viewer(running.port);
    breaker(viewer);
    EXPECT_TRUE(viewer.ClosedByUnit());
  }
  Viewer next(running.port);
  next.Negotiate();
  EXPECT_EQ(next.Login("admin", "admin"), 2);
}
