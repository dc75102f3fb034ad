// The local copy's text, platform-free: the header lines and the snapshot's bytes behind them.
#include "local_copy.h"

#include "refresh/sha256.h"

#include <string>
#include <utility>

namespace {

constexpr char kFirstLine[] = "TARNBOOK local copy: 1";

std::string Sha256Of(const std::string& bytes) {
    Sha256 sha;
    sha.Add(bytes.data(), bytes.size());
    return sha.HexDigest();
}

} // namespace

std::string LocalCopyText(const LocalCopy& copy) {
    std::string text = std::string(kFirstLine) + "\n";
    const std::pair<const char*, std::string> lines[] = {
        {"folder", copy.facts.folder},
        {"version", std::to_string(copy.facts.version)},
        {"sha256", copy.facts.sha256},
        {"time", std::to_string(copy.time)},
        {"computer", copy.owner.computer},
        {"notes", copy.owner.notes},
        {"bridge", copy.owner.bridge},
        {"program", copy.owner.program},
        {"bytes", std::to_string(copy.snapshot.size())}};
    for (const auto& line : lines)
        text += std::string(line.first) + ": " + line.second + "\n";
    return text + "\n" + copy.snapshot;
}

bool ParseLocalCopy(const std::string& text, LocalCopy& copy, std::string& why) {
    size_t at = 0;
    auto nextLine = [&text, &at](std::string& line) {
        const size_t end = text.find('\n', at);
        if (end == std::string::npos)
            return false;
        line = text.substr(at, end - at);
        at = end + 1;
        return true;
    };
    std::string line;
    if (!nextLine(line) || line != kFirstLine) {
        why = "it is not a local copy of this TARNBOOK's";
        return false;
    }
    LocalCopy read;
    std::string version, time, bytes;
    std::pair<const char*, std::string*> fields[] = {{"folder", &read.facts.folder},
                                                     {"version", &version},
                                                     {"sha256", &read.facts.sha256},
                                                     {"time", &time},
                                                     {"computer", &read.owner.computer},
                                                     {"notes", &read.owner.notes},
                                                     {"bridge", &read.owner.bridge},
                                                     {"program", &read.owner.program},
                                                     {"bytes", &bytes}};
    for (auto& field : fields) {
        const std::string name = std::string(field.first) + ": ";
        if (!nextLine(line) || line.compare(0, name.size(), name) != 0) {
            why = "its line \"" + std::string(field.first) + "\" is missing";
            return false;
        }
        *field.second = line.substr(name.size());
    }
    unsigned long size = 0;
    std::uint64_t ticks = 0;
    if (!nextLine(line) || !line.empty() || !ParseDigits(version, 10, read.facts.version) ||
        !ParseDigits64(time, 19, ticks) || !ParseDigits(bytes, 10, size) ||
        text.size() - at != size) {
        why = "its header is damaged or its snapshot cut off";
        return false;
    }
    read.time = ticks;
    read.snapshot = text.substr(at);
    if (Sha256Of(read.snapshot) != read.facts.sha256) {
        why = "its snapshot does not have its SHA-256";
        return false;
    }
    read.facts.present = true;
    copy = std::move(read);
    return true;
}
