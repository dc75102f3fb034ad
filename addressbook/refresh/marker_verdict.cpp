#include "marker_verdict.h"

#include "sha256.h"

namespace {

// The kept marker's first two fields: family and the hash of where it belongs.
std::string Prefix(const std::string& family, const std::string& where) {
    Sha256 sha;
    sha.Add(where.data(), where.size());
    return family + ":" + sha.HexDigest().substr(0, 32) + ":";
}

std::string PrefixOf(const std::string& kept) {
    const std::string::size_type first = kept.find(':');
    const std::string::size_type second =
        first == std::string::npos ? std::string::npos : kept.find(':', first + 1);
    return second == std::string::npos ? std::string() : kept.substr(0, second + 1);
}

} // namespace

std::string KeptMarker(const std::string& family, const std::string& where,
                       const std::string& value) {
    if (family.empty() || value.empty())
        return std::string();
    return Prefix(family, where) + value;
}

std::string KeptMarkerValue(const std::string& kept, const std::string& family,
                            const std::string& where) {
    const std::string prefix = Prefix(family, where);
    return kept.size() > prefix.size() && kept.compare(0, prefix.size(), prefix) == 0
               ? kept.substr(prefix.size())
               : std::string();
}

MarkerVerdict JudgeMarker(const RefreshRule& rule, const LastRefresh* last,
                          const std::string& marker, std::uint64_t now) {
    if (!last || last->digest.empty())
        return MarkerVerdict::Unknown;
    if (IsRefreshDue(rule, *last, now))
        return MarkerVerdict::Due;
    if (marker.empty())
        return MarkerVerdict::Unreadable;
    if (last->marker.empty())
        return MarkerVerdict::NotKept;
    if (PrefixOf(marker).empty() || PrefixOf(marker) != PrefixOf(last->marker))
        return MarkerVerdict::Elsewhere;
    return marker == last->marker ? MarkerVerdict::Unchanged : MarkerVerdict::Moved;
}
