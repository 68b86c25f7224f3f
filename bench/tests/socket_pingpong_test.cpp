#include <gtest/gtest.h>

#include <sys/socket.h>

#include "process_pair.h"
#include "socket_pingpong.h"

namespace bench {
namespace {

TEST(SocketPingPong, RoundTripsAcrossProcessesThenStops) {
  SocketPair sockets;
  run_pair(
      unpinned(),
      [&](const std::function<void()>& ready) {
        ready();
        socket_serve(sockets.server_end());
      },
      [&] {
        SocketClient client(sockets.client_end());
        client.round_trips(100);
        client.stop();
        return 0;
      });
}

TEST(SocketPingPong, AClosedPeerIsAnErrorNotAHang) {
  SocketPair sockets;
  // Nobody answers: the server end is closed, so the client sees the end of
  // the stream instead of waiting for ever.
  ASSERT_EQ(shutdown(sockets.server_end(), SHUT_RDWR), 0);
  SocketClient client(sockets.client_end());
  EXPECT_THROW(client.round_trips(1), std::runtime_error);
}

}  // namespace
}  // namespace bench
