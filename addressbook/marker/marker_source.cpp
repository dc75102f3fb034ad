#include "marker_source.h"

#include "control_values.h"

#include <algorithm>
#include <cctype>

namespace {

// A DN as compared: lower case, without blanks around "," and "=".
std::string Comparable(const std::string& dn) {
    std::string out;
    for (char c : dn) {
        const bool separator = c == ',' || c == '=';
        if (separator)
            while (!out.empty() && out.back() == ' ')
                out.pop_back();
        if (c == ' ' && (out.empty() || out.back() == ',' || out.back() == '='))
            continue;
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

bool Has(const std::vector<std::string>& values, const std::string& wanted) {
    return std::find(values.begin(), values.end(), wanted) != values.end();
}

} // namespace

std::string NamingContextOf(const std::vector<std::string>& contexts, const std::string& base) {
    const std::string dn = Comparable(base);
    std::string best;
    std::size_t bestLength = 0;
    for (const std::string& context : contexts) {
        const std::string suffix = Comparable(context);
        if (suffix.empty() || suffix.size() > dn.size() || suffix.size() < bestLength)
            continue;
        const std::size_t at = dn.size() - suffix.size();
        if (dn.compare(at, suffix.size(), suffix) == 0 && (at == 0 || dn[at - 1] == ',') &&
            (best.empty() || suffix.size() > bestLength)) {
            best = context;
            bestLength = suffix.size();
        }
    }
    return best;
}

std::string ValueSetText(std::vector<std::string> values) {
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    std::string text;
    for (const std::string& value : values)
        text += (text.empty() ? "" : " ") + value;
    return text;
}

std::string SyncDoneState(const std::string& doneValue) {
    bool hasCookie = false;
    std::string cookie;
    if (!DecodeSyncDone(doneValue, hasCookie, cookie) || !hasCookie)
        return std::string();
    std::vector<std::string> csns;
    std::string::size_type at = 0;
    while (at <= cookie.size()) {
        const std::string::size_type comma = std::min(cookie.find(',', at), cookie.size());
        const std::string field = cookie.substr(at, comma - at);
        at = comma + 1;
        if (field.compare(0, 4, "csn=") != 0)
            continue;
        for (std::string::size_type from = 4; from <= field.size();) {
            const std::string::size_type end = std::min(field.find(';', from), field.size());
            csns.push_back(field.substr(from, end - from));
            from = end + 1;
        }
    }
    // A value that is empty or holds a blank would make two sets read as one text.
    for (const std::string& csn : csns) {
        if (csn.empty() || std::any_of(csn.begin(), csn.end(), [](char c) {
                return static_cast<unsigned char>(c) <= ' ' || static_cast<unsigned char>(c) > '~';
            }))
            return std::string();
    }
    return ValueSetText(csns);
}

MarkerSource ChooseMarkerSource(const RootDseFacts& facts, const std::string& base) {
    MarkerSource source;
    source.namingContext = NamingContextOf(facts.namingContexts, base);
    if (source.namingContext.empty()) {
        source.note = "no naming context of the server holds the search base";
        return source;
    }
    if (Has(facts.supportedControls, kDirSyncOid)) {
        source.family = MarkerFamily::DirSync;
        return source;
    }
    if (!facts.lastUsn.empty()) {
        // Another server's counter, or this one's after a restore, must never match.
        if (facts.dataVersion.empty()) {
            source.note = "the server's lastusn comes without its dataversion";
            return source;
        }
        source.family = MarkerFamily::LastUsn;
        source.server = facts.vendorVersion + " " + facts.dataVersion;
        source.marker = ValueSetText(facts.lastUsn);
        return source;
    }
    if (!Has(facts.supportedControls, kContentSyncOid)) {
        source.note = "it does not offer content synchronisation, without which its contextCSN "
                      "need not follow its changes";
        return source;
    }
    source.family = MarkerFamily::ContextCsn;
    return source;
}

const char* MarkerFamilyName(MarkerFamily family) {
    switch (family) {
    case MarkerFamily::DirSync:
        return "dirsync";
    case MarkerFamily::ContextCsn:
        // Earlier builds kept "csn" markers read without the provider's answer; such a marker
        // never matches one proved by it, so the first run after them searches whole.
        return "sync";
    case MarkerFamily::LastUsn:
        return "usn";
    case MarkerFamily::None:
        break;
    }
    return "";
}
