// The bound on a server's silence, on a connected pair of loopback sockets: the "server"
// sends or stays silent, the "client" end is watched and waited on.
#include "silence_watch.h"

#include <gtest/gtest.h>

namespace {

class WatchedConnection : public ::testing::Test {
  protected:
    void SetUp() override {
        WSADATA data;
        ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
        const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int length = sizeof address;
        ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
        ASSERT_EQ(listen(listener, 1), 0);
        ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
        client_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        ASSERT_EQ(connect(client_, reinterpret_cast<sockaddr*>(&address), length), 0);
        server_ = accept(listener, nullptr, nullptr);
        closesocket(listener);
        ASSERT_NE(server_, INVALID_SOCKET);
        // A wait that nothing ends fails the test instead of hanging it.
        const DWORD limit = 10000;
        setsockopt(client_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&limit),
                   sizeof limit);
    }
    void TearDown() override {
        closesocket(server_);
        closesocket(client_); // fails harmlessly where the watch closed it
        WSACleanup();
    }
    // Waits for one byte on the client end, as the directory library waits for its answer.
    int ReceiveOne() {
        char byte = 0;
        return recv(client_, &byte, 1, 0);
    }
    static DWORD Since(DWORD start) { return GetTickCount() - start; }

    SOCKET server_ = INVALID_SOCKET;
    SOCKET client_ = INVALID_SOCKET;
};

TEST_F(WatchedConnection, ATalkingServerIsNeverCutOffHoweverLongItTalks) {
    const SilenceWatch watch(client_, 1);
    ASSERT_TRUE(watch.Watching());
    // Three seconds of a byte every 300 ms: thrice the bound in all, never silent for it.
    for (int i = 0; i < 10; ++i) {
        Sleep(300);
        ASSERT_EQ(send(server_, "x", 1, 0), 1);
        ASSERT_EQ(ReceiveOne(), 1) << "byte " << i;
    }
    EXPECT_FALSE(watch.Closed());
}

TEST_F(WatchedConnection, ASilentServerEndsTheWaitOnItAfterTheBound) {
    ASSERT_EQ(send(server_, "x", 1, 0), 1);
    const SilenceWatch watch(client_, 1);
    ASSERT_EQ(ReceiveOne(), 1);
    const DWORD start = GetTickCount();
    EXPECT_EQ(ReceiveOne(), SOCKET_ERROR);
    EXPECT_NE(WSAGetLastError(), WSAETIMEDOUT) << "the wait was not ended";
    EXPECT_TRUE(watch.Closed());
    EXPECT_GE(Since(start), 800u);
    EXPECT_LE(Since(start), 5000u);
}

TEST_F(WatchedConnection, TheWatchEndsPromptlyAndLeavesTheConnectionAsItWas) {
    const DWORD start = GetTickCount();
    {
        const SilenceWatch watch(client_, 30);
        Sleep(50);
        EXPECT_FALSE(watch.Closed());
    }
    EXPECT_LE(Since(start), 2000u);
    ASSERT_EQ(send(server_, "x", 1, 0), 1);
    EXPECT_EQ(ReceiveOne(), 1);
}

TEST_F(WatchedConnection, WithoutAConnectionThereIsNothingToWatch) {
    const SOCKET closed = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    closesocket(closed);
    for (const SOCKET none : {SOCKET(0), INVALID_SOCKET, SOCKET(0xFFFFFFFFu), closed})
        EXPECT_FALSE(SilenceWatch(none, 1).Watching()) << none;
}

} // namespace
