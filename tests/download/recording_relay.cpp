#include "recording_relay.h"

#include <winsock2.h>
#include <algorithm>
#include <ws2tcpip.h>

namespace {

// How long the relay's waits last before it looks whether it is to stop.
constexpr long kPollMicroseconds = 50000;

class WinsockUse {
  public:
    WinsockUse() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~WinsockUse() { WSACleanup(); }
};

sockaddr_in Loopback(int port) {
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// Waits for socket to have something to read; false when the wait ended without.
bool Readable(SOCKET socket) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket, &set);
    timeval wait = {0, kPollMicroseconds};
    return select(0, &set, nullptr, nullptr, &wait) == 1;
}

WinsockUse g_winsock;

} // namespace

void RecordingRelay::HoldBefore(Hold hold) {
    std::lock_guard<std::mutex> lock(mutex_);
    hold_ = std::move(hold);
}

bool RecordingRelay::PassOn(std::uintptr_t fromSocket, std::uintptr_t toSocket, bool fromProgram) {
    const SOCKET from = static_cast<SOCKET>(fromSocket);
    const SOCKET to = static_cast<SOCKET>(toSocket);
    char buffer[16384];
    const int got = recv(from, buffer, sizeof buffer, 0);
    if (got <= 0)
        return false;
    Hold hold;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (fromProgram)
            sent_.append(buffer, static_cast<size_t>(got));
        hold = hold_;
    }
    if (!fromProgram)
        received_ += static_cast<std::uint64_t>(got);
    if (hold) {
        for (const LdapMessageBytes& message :
             WholeLdapMessages(std::string(buffer, static_cast<size_t>(got))))
            hold(fromProgram, message.operation, message.message);
    }
    for (int done = 0; done < got;) {
        const int put = send(to, buffer + done, got - done, 0);
        if (put <= 0)
            return false;
        done += put;
    }
    return true;
}

RecordingRelay::RecordingRelay(int serverPort)
    : serverPort_(serverPort), listener_(static_cast<std::uintptr_t>(INVALID_SOCKET)) {
    const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = Loopback(0);
    int size = sizeof address;
    if (listener == INVALID_SOCKET ||
        bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 4) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        if (listener != INVALID_SOCKET)
            closesocket(listener);
        return;
    }
    listener_ = static_cast<std::uintptr_t>(listener);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Run(); });
}

RecordingRelay::~RecordingRelay() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (static_cast<SOCKET>(listener_) != INVALID_SOCKET)
        closesocket(static_cast<SOCKET>(listener_));
}

std::string RecordingRelay::Sent() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return sent_;
}

void RecordingRelay::Run() {
    const SOCKET listener = static_cast<SOCKET>(listener_);
    while (!stop_) {
        if (!Readable(listener))
            continue;
        const SOCKET client = accept(listener, nullptr, nullptr);
        if (client == INVALID_SOCKET)
            continue;
        ++connections_;
        Relay(static_cast<std::uintptr_t>(client));
        closesocket(client);
    }
}

void RecordingRelay::Relay(std::uintptr_t clientHandle) {
    const SOCKET client = static_cast<SOCKET>(clientHandle);
    const SOCKET server = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    const sockaddr_in address = Loopback(serverPort_);
    if (server == INVALID_SOCKET ||
        connect(server, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (server != INVALID_SOCKET)
            closesocket(server);
        return;
    }
    bool open = true;
    while (open && !stop_) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(client, &set);
        FD_SET(server, &set);
        timeval wait = {0, kPollMicroseconds};
        if (select(0, &set, nullptr, nullptr, &wait) <= 0)
            continue;
        if (FD_ISSET(client, &set))
            open = PassOn(client, server, true);
        if (open && FD_ISSET(server, &set))
            open = PassOn(server, client, false);
    }
    closesocket(server);
}

namespace {

// One LDAP message as far as the relay reads it: its operation, the operation's content and the
// whole message, as far as the bytes hold it.
struct LdapMessagePart {
    unsigned char operation;
    std::string content;
    std::string whole;
};

std::vector<LdapMessagePart> LdapMessages(const std::string& sent) {
    std::vector<LdapMessagePart> messages;
    const auto* bytes = reinterpret_cast<const unsigned char*>(sent.data());
    const size_t size = sent.size();
    // A BER length at bytes[at]: short or long form; 0 and at past the end where it is cut.
    auto length = [&](size_t& at) -> size_t {
        if (at >= size)
            return 0;
        const unsigned char first = bytes[at++];
        if (first < 0x80)
            return first;
        size_t value = 0;
        for (unsigned n = first & 0x7f; n > 0; --n) {
            if (at >= size)
                return 0;
            value = value << 8 | bytes[at++];
        }
        return value;
    };
    size_t at = 0;
    while (at < size && bytes[at] == 0x30) {
        const size_t begin = at;
        ++at;
        const size_t messageLength = length(at);
        const size_t end = at + messageLength;
        // The message id, an INTEGER, then the operation.
        if (at >= size || bytes[at] != 0x02)
            break;
        ++at;
        const size_t idLength = length(at);
        at += idLength;
        if (at >= size)
            break;
        const unsigned char operation = bytes[at++];
        const size_t operationLength = length(at);
        messages.push_back(
            {operation,
             sent.substr(std::min(at, size), std::min(operationLength, size - std::min(at, size))),
             end <= size ? sent.substr(begin, end - begin) : std::string()});
        at = end;
    }
    return messages;
}

} // namespace

std::vector<unsigned char> LdapOperations(const std::string& sent) {
    std::vector<unsigned char> operations;
    for (const LdapMessagePart& message : LdapMessages(sent))
        operations.push_back(message.operation);
    return operations;
}

std::vector<LdapMessageBytes> WholeLdapMessages(const std::string& bytes) {
    std::vector<LdapMessageBytes> whole;
    for (const LdapMessagePart& message : LdapMessages(bytes)) {
        if (!message.whole.empty())
            whole.push_back({message.operation, message.whole});
    }
    return whole;
}

std::vector<LdapSearchRequest> LdapSearches(const std::string& sent) {
    std::vector<LdapSearchRequest> searches;
    for (const LdapMessagePart& message : LdapMessages(sent)) {
        if (message.operation != kLdapSearchRequest)
            continue;
        // baseObject OCTET STRING (short or long length), then scope ENUMERATED.
        const std::string& c = message.content;
        LdapSearchRequest search;
        search.content = c;
        size_t at = 0;
        if (c.size() < 2 || c[0] != 0x04)
            continue;
        size_t baseLength = static_cast<unsigned char>(c[1]);
        at = 2;
        if (baseLength & 0x80) {
            const size_t count = baseLength & 0x7f;
            baseLength = 0;
            for (size_t i = 0; i < count && at < c.size(); ++i)
                baseLength = baseLength << 8 | static_cast<unsigned char>(c[at++]);
        }
        if (at + baseLength + 3 > c.size())
            continue;
        search.base = c.substr(at, baseLength);
        at += baseLength;
        if (c[at] == 0x0a && c[at + 1] == 0x01)
            search.scope = static_cast<unsigned char>(c[at + 2]);
        searches.push_back(search);
    }
    return searches;
}
