#include "ldif_lines.h"

#include "base64.h"

#include <cstddef>

namespace {

constexpr std::size_t kFoldColumn = 76;

// A value written as it is must be a SAFE-STRING: ASCII without NUL, CR and LF, not starting
// with a blank, a colon or '<'. A trailing blank would be lost by many tools: base64 too.
bool NeedsBase64(const std::string& value) {
    if (value.empty())
        return false;
    const char first = value.front();
    if (first == ' ' || first == ':' || first == '<' || value.back() == ' ')
        return true;
    for (const char c : value) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte == 0 || byte == '\n' || byte == '\r' || byte >= 0x80)
            return true;
    }
    return false;
}

bool IsNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == ';' || c == '.';
}

bool Fail(LdifProblem& problem, unsigned long line, const std::string& what) {
    problem.line = line;
    problem.what = what;
    return false;
}

// Reads one logical line "name: value", "name:: base64" or "-" into line.
bool ParseLine(const std::string& text, unsigned long number, LdifLine& line,
               LdifProblem& problem) {
    line = LdifLine();
    line.line = number;
    if (text == "-") {
        line.separator = true;
        return true;
    }
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0)
        return Fail(problem, number, "a line that is not \"name: value\"");
    for (std::size_t i = 0; i < colon; ++i) {
        if (!IsNameCharacter(text[i]))
            return Fail(problem, number, "an attribute name with a character it cannot hold");
    }
    line.name = text.substr(0, colon);
    std::size_t at = colon + 1;
    bool base64 = false;
    if (at < text.size() && text[at] == ':') {
        base64 = true;
        ++at;
    } else if (at < text.size() && text[at] == '<') {
        return Fail(problem, number, "a value given by URL, which a publication never holds");
    }
    while (at < text.size() && text[at] == ' ')
        ++at;
    const std::string value = text.substr(at);
    if (base64) {
        if (!FromBase64(value, line.value))
            return Fail(problem, number, "a base64 value that is not valid");
        return true;
    }
    for (const char c : value) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte == 0 || byte == '\r' || byte >= 0x80)
            return Fail(problem, number, "a value that must be written in base64");
    }
    line.value = value;
    return true;
}

} // namespace

void AppendLdifLine(std::string& out, const std::string& name, const std::string& value,
                    bool fold) {
    std::string line = name;
    if (NeedsBase64(value))
        line += ":: " + Base64(value);
    else if (value.empty())
        line += ":";
    else
        line += ": " + value;
    // The first piece fills the column; each continuation is a blank and one column less.
    std::size_t at = 0;
    std::size_t width = kFoldColumn;
    while (fold && line.size() - at > width) {
        out.append(line, at, width);
        out += "\n ";
        at += width;
        width = kFoldColumn - 1;
    }
    out.append(line, at, std::string::npos);
    out += '\n';
}

bool ReadLdifRecords(const std::string& bytes, bool versionLine, std::vector<LdifRecord>& records,
                     LdifProblem& problem) {
    records.clear();
    problem = LdifProblem();
    bool versionSeen = !versionLine;
    bool inRecord = false, inComment = false;
    std::string logical;
    unsigned long logicalStart = 0;

    // Ends the logical line being gathered: the version line, or a line of the current record.
    auto finish = [&]() -> bool {
        if (logicalStart == 0)
            return true;
        LdifLine line;
        if (!ParseLine(logical, logicalStart, line, problem))
            return false;
        logicalStart = 0;
        logical.clear();
        if (!versionSeen) {
            if (line.separator || line.name != "version" || line.value != "1")
                return Fail(problem, line.line, "the file does not begin with \"version: 1\"");
            versionSeen = true;
            return true;
        }
        if (!inRecord) {
            records.emplace_back();
            inRecord = true;
        }
        records.back().lines.push_back(std::move(line));
        return true;
    };

    unsigned long number = 0;
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t end = bytes.find('\n', at);
        if (end == std::string::npos)
            end = bytes.size();
        std::size_t length = end - at;
        if (length > 0 && bytes[at + length - 1] == '\r')
            --length;
        ++number;
        const char* text = bytes.data() + at;
        at = end + 1;
        if (length == 0) {
            // A blank line ends the logical line and the record.
            if (!finish())
                return false;
            inRecord = false;
            inComment = false;
            continue;
        }
        if (text[0] == ' ') {
            if (inComment)
                continue;
            if (logicalStart == 0)
                return Fail(problem, number, "a continued line that continues nothing");
            logical.append(text + 1, length - 1);
            continue;
        }
        if (!finish())
            return false;
        inComment = text[0] == '#';
        if (inComment)
            continue;
        logical.assign(text, length);
        logicalStart = number;
    }
    if (!finish())
        return false;
    if (!versionSeen)
        return Fail(problem, number, "the file does not begin with \"version: 1\"");
    return true;
}

bool SameAttribute(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}
