// bench_relay.exe SERVER_PORT COUNTS_FILE: a relay on a free port of 127.0.0.1 that passes
// each connection on to the directory server's port and counts what the server sent: bytes,
// and the search entries among its LDAP messages. Prints "port <n>" once it listens; after
// each connection ends it writes the totals so far to COUNTS_FILE as "<bytes> <entries>
// <connections>". Serves one connection at a time until it is ended.
#include <winsock2.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Totals {
    std::uint64_t bytes = 0;
    std::uint64_t entries = 0;
    unsigned long connections = 0;
};

// Counts the search entries (application tag 0x64) of the LDAP messages in the server's stream;
// a message cut by the end of a read waits in pending for the rest.
class EntryCounter {
  public:
    void Add(const char* data, int size, std::uint64_t& entries) {
        pending_.append(data, static_cast<size_t>(size));
        size_t at = 0;
        for (;;) {
            size_t start = at, length = 0;
            if (!Length(at, length) || pending_.size() - at < length) {
                at = start;
                break;
            }
            const size_t end = at + length;
            // The message id, an INTEGER, then the operation's tag.
            size_t id = 0;
            if (at < end && static_cast<unsigned char>(pending_[at]) == 0x02) {
                ++at;
                if (Length(at, id) && at + id < end &&
                    static_cast<unsigned char>(pending_[at + id]) == 0x64)
                    ++entries;
            }
            at = end;
        }
        pending_.erase(0, at);
    }

  private:
    // A SEQUENCE's tag and length at at; false where they are not all there yet.
    bool Length(size_t& at, size_t& length) const {
        if (at >= pending_.size())
            return false;
        if (static_cast<unsigned char>(pending_[at]) == 0x30)
            ++at;
        if (at >= pending_.size())
            return false;
        const unsigned char first = static_cast<unsigned char>(pending_[at++]);
        if (first < 0x80) {
            length = first;
            return true;
        }
        length = 0;
        for (unsigned n = first & 0x7f; n > 0; --n) {
            if (at >= pending_.size())
                return false;
            length = length << 8 | static_cast<unsigned char>(pending_[at++]);
        }
        return true;
    }
    std::string pending_;
};

bool PassOn(SOCKET from, SOCKET to, Totals* totals, EntryCounter* counter) {
    char buffer[65536];
    const int got = recv(from, buffer, sizeof buffer, 0);
    if (got <= 0)
        return false;
    if (totals) {
        totals->bytes += static_cast<std::uint64_t>(got);
        counter->Add(buffer, got, totals->entries);
    }
    for (int done = 0; done < got;) {
        const int put = send(to, buffer + done, got - done, 0);
        if (put <= 0)
            return false;
        done += put;
    }
    return true;
}

void Relay(SOCKET client, int serverPort, Totals& totals) {
    const SOCKET server = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(serverPort));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (server == INVALID_SOCKET ||
        connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (server != INVALID_SOCKET)
            closesocket(server);
        return;
    }
    EntryCounter counter;
    for (bool open = true; open;) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(client, &set);
        FD_SET(server, &set);
        if (select(0, &set, nullptr, nullptr, nullptr) <= 0)
            break;
        if (FD_ISSET(client, &set))
            open = PassOn(client, server, nullptr, nullptr);
        if (open && FD_ISSET(server, &set))
            open = PassOn(server, client, &totals, &counter);
    }
    closesocket(server);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_relay SERVER_PORT COUNTS_FILE\n");
        return 2;
    }
    const int serverPort = std::atoi(argv[1]);
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    if (listener == INVALID_SOCKET ||
        bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 4) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        std::fprintf(stderr, "cannot listen: %d\n", WSAGetLastError());
        return 1;
    }
    std::printf("port %d\n", ntohs(address.sin_port));
    std::fflush(stdout);
    Totals totals;
    for (;;) {
        const SOCKET client = accept(listener, nullptr, nullptr);
        if (client == INVALID_SOCKET)
            continue;
        ++totals.connections;
        Relay(client, serverPort, totals);
        closesocket(client);
        if (FILE* counts = std::fopen(argv[2], "w")) {
            std::fprintf(counts, "%llu %llu %lu\n", static_cast<unsigned long long>(totals.bytes),
                         static_cast<unsigned long long>(totals.entries), totals.connections);
            std::fclose(counts);
        }
    }
}
