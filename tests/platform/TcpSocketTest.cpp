#include <gtest/gtest.h>

#include <thread>

#include "platform/SocketErrors.h"
#include "platform/TcpSocket.h"

using platform::Endpoint;
using platform::TcpSocket;

namespace {

struct LoopbackPair {
  TcpSocket listener, client, server;
  LoopbackPair() {
    EXPECT_TRUE(listener.Listen("127.0.0.1", 0));
    EXPECT_TRUE(client.Open());
    EXPECT_EQ(client.Connect({*platform::ParseDottedIPv4("127.0.0.1"), listener.LocalPort()}), 0);
    server = listener.Accept(2000);
    EXPECT_TRUE(server.IsOpen());
  }
};

}  // namespace

TEST(SocketErrors, TableHasEveryNameAndUnknownNumbersSaySo) {
  EXPECT_EQ(platform::SocketErrorTableSize(), 73);
  EXPECT_EQ(platform::SocketErrorText(10061).rfind("WSAECONNREFUSED\n", 0), 0u);
  EXPECT_EQ(platform::SocketErrorText(11001).rfind("WSAHOST_NOT_FOUND / HOST_NOT_FOUND\n", 0), 0u);
  EXPECT_EQ(platform::SocketErrorText(12345), "Unknown socket error.");
  EXPECT_EQ(platform::SocketErrorFromErrno(ECONNREFUSED), platform::WSAECONNREFUSED);
}

TEST(TcpSocket, RefusedConnectReportsConnRefused) {
  TcpSocket probe;
  ASSERT_TRUE(probe.Listen("127.0.0.1", 0));
  const uint16_t port = probe.LocalPort();
  probe.Close();  // nobody listens there now

  TcpSocket client;
  ASSERT_TRUE(client.Open());
  ASSERT_TRUE(client.SetBlocking(false));
  int result = client.Connect({*platform::ParseDottedIPv4("127.0.0.1"), port});
  if (result == platform::WSAEWOULDBLOCK) {
    ASSERT_EQ(client.WaitWritable(2000), 1);
    result = client.ConnectResult();
  }
  EXPECT_EQ(result, platform::WSAECONNREFUSED);
  EXPECT_EQ(platform::LastSocketError(), platform::WSAECONNREFUSED);
}

TEST(TcpSocket, SendsReceivesTimesOutAndUnblocksOnShutdown) {
  LoopbackPair pair;
  const char text[] = "hello";
  ASSERT_TRUE(pair.client.SendAll(text, sizeof text));
  char buffer[16] = {};
  EXPECT_EQ(pair.server.Receive(buffer, sizeof buffer, 2000), static_cast<int>(sizeof text));
  EXPECT_STREQ(buffer, "hello");
  EXPECT_EQ(pair.server.Receive(buffer, sizeof buffer, 10), TcpSocket::RECEIVE_TIMED_OUT);

  int received = 99;
  std::thread reader([&] { received = pair.server.Receive(buffer, sizeof buffer); });
  pair.server.Shutdown();
  reader.join();
  EXPECT_EQ(received, 0);
}

TEST(TcpSocket, AddressParsing) {
  EXPECT_TRUE(platform::ParseDottedIPv4("255.255.255.255").has_value());
  EXPECT_FALSE(platform::ParseDottedIPv4("example").has_value());
  EXPECT_TRUE(platform::ResolveHostIPv4("localhost").has_value());
  EXPECT_FALSE(platform::ResolveHostIPv4("no-such-host.invalid").has_value());
  EXPECT_EQ(platform::LastSocketError(), platform::WSAHOST_NOT_FOUND);
}
