// A capture of the connections a program makes to a directory server: a relay on a free port
// of 127.0.0.1 that passes every byte on to the server's port and back, and keeps what the
// program sent.
#ifndef TARN_RECORDING_RELAY_H
#define TARN_RECORDING_RELAY_H

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class RecordingRelay {
  public:
    explicit RecordingRelay(int serverPort);
    ~RecordingRelay();
    RecordingRelay(const RecordingRelay&) = delete;
    RecordingRelay& operator=(const RecordingRelay&) = delete;

    // The port to point the program at; 0 when the relay could not listen.
    int Port() const { return port_; }
    // The connections the program opened through the relay.
    int Connections() const { return connections_; }
    // Every byte the program sent, over all connections.
    std::string Sent() const;
    // The bytes the server sent back, over all connections.
    std::uint64_t Received() const { return received_; }

    // Called on the relay's thread for each whole LDAP message in what one side sent, before it
    // is passed on, with the side (true: the program), the message's operation and its bytes:
    // the relay holds everything back until it returns.
    using Hold =
        std::function<void(bool fromProgram, unsigned char operation, const std::string& message)>;
    void HoldBefore(Hold hold);

  private:
    void Run();
    void Relay(std::uintptr_t client);
    // Passes what one side sent on to the other, as far as it came; false when either closed.
    bool PassOn(std::uintptr_t from, std::uintptr_t to, bool fromProgram);

    int serverPort_;
    int port_ = 0;
    std::uintptr_t listener_;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::atomic<std::uint64_t> received_{0};
    mutable std::mutex mutex_;
    std::string sent_;
    Hold hold_;
    std::thread thread_;
};

// The protocol operations (the application tag of each LDAP message: 0x60 a bind request,
// 0x63 a search request, 0x77 an extended request) in bytes a client sent, in order, as far
// as they read as LDAP messages.
std::vector<unsigned char> LdapOperations(const std::string& sent);
constexpr unsigned char kLdapBindRequest = 0x60;
constexpr unsigned char kLdapBindResponse = 0x61;
constexpr unsigned char kLdapSearchRequest = 0x63;
constexpr unsigned char kLdapIntermediateResponse = 0x79;

// Each whole LDAP message in bytes, with its operation.
struct LdapMessageBytes {
    unsigned char operation;
    std::string message;
};
std::vector<LdapMessageBytes> WholeLdapMessages(const std::string& bytes);

// The search requests in bytes a client sent, in order: their base and scope (0 base object,
// 1 one level, 2 subtree), and their content.
struct LdapSearchRequest {
    std::string base;
    int scope = -1;
    std::string content; // the request's whole content, base first
};
std::vector<LdapSearchRequest> LdapSearches(const std::string& sent);

#endif
