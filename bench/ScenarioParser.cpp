// The scenario text format (bench/README.md): one statement per line, changes to the default
// scenario, `#` starts a comment.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string_view>

#include "bench/Bench.h"
#include "bench/Bus.h"

namespace bench {
namespace {

constexpr size_t kMaxLineLength = 4096;
constexpr size_t kMaxVersionBytes = 1024;
constexpr uint32_t kMaxDelayMs = 3600000;              // an hour
constexpr uint32_t kMaxTimelineMs = 24 * kMaxDelayMs;  // a day
constexpr uint32_t kMinSignalPeriodMs = 10;
// Far beyond what a bus carries (about 18,000 frames a second at 1 Mbit/s): every buffer overflows.
constexpr uint32_t kUnpacedPerSecond = 1000000;

struct Token {
    std::string text;
    bool quoted = false;
};

using Tokens = std::vector<Token>;

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Splits a line at blanks; a double-quoted string is one token with \" \\ and \xHH escapes.
bool Tokenize(std::string_view line, Tokens* tokens, std::string* error) {
    size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t') {
            ++i;
        } else if (c == '#') {
            break;
        } else if (c == '"') {
            Token token{"", true};
            for (++i;; ++i) {
                if (i >= line.size()) {
                    *error = "the quoted text has no closing \"";
                    return false;
                }
                if (line[i] == '"') {
                    ++i;
                    break;
                }
                if (line[i] != '\\') {
                    token.text += line[i];
                } else if (i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\')) {
                    token.text += line[++i];
                } else if (i + 3 < line.size() && line[i + 1] == 'x' && HexDigit(line[i + 2]) >= 0 &&
                           HexDigit(line[i + 3]) >= 0) {
                    token.text += static_cast<char>(HexDigit(line[i + 2]) * 16 + HexDigit(line[i + 3]));
                    i += 3;
                } else {
                    *error = "unknown escape in quoted text (use \\\", \\\\ or \\xHH)";
                    return false;
                }
            }
            tokens->push_back(std::move(token));
        } else {
            Token token;
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '#') {
                token.text += line[i++];
            }
            tokens->push_back(std::move(token));
        }
    }
    return true;
}

// Decimal, or hexadecimal after 0x; no sign.
std::optional<uint32_t> Number(std::string_view text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const size_t start = hex ? 2 : 0;
    if (text.size() == start) {
        return std::nullopt;
    }
    uint64_t value = 0;
    for (size_t i = start; i < text.size(); ++i) {
        const int digit = hex ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
        if (value > 0xFFFFFFFFu) {
            return std::nullopt;
        }
    }
    return static_cast<uint32_t>(value);
}

bool ParseAddress(std::string_view text, std::array<uint8_t, 4>* ip) {
    size_t part = 0;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '.') {
            continue;
        }
        const std::string_view piece = text.substr(start, i - start);
        const std::optional<uint32_t> octet = Number(piece);
        if (part == ip->size() || !octet || *octet > 255 || piece.find_first_of("xX") != piece.npos) {
            return false;
        }
        (*ip)[part++] = static_cast<uint8_t>(*octet);
        start = i + 1;
    }
    return part == ip->size();
}

bool ParseMac(std::string_view text, std::array<uint8_t, 6>* mac) {
    if (text.size() != 17) {
        return false;
    }
    for (size_t i = 0; i < mac->size(); ++i) {
        const int high = HexDigit(text[i * 3]);
        const int low = HexDigit(text[i * 3 + 1]);
        if (high < 0 || low < 0 || (i < 5 && text[i * 3 + 2] != '-' && text[i * 3 + 2] != ':')) {
            return false;
        }
        (*mac)[i] = static_cast<uint8_t>(high * 16 + low);
    }
    return true;
}

// index/sub, as in 0x2010/5, packed as the Faults lists hold it.
bool ParseObject(std::string_view text, uint32_t* key) {
    const size_t slash = text.find('/');
    if (slash == text.npos) {
        return false;
    }
    const std::optional<uint32_t> index = Number(text.substr(0, slash));
    const std::optional<uint32_t> sub = Number(text.substr(slash + 1));
    if (!index || !sub || *index > 0xFFFF || *sub > 0xFF) {
        return false;
    }
    *key = *index << 8 | *sub;
    return true;
}

// Applies one statement at a time to the scenario; on a false result Error() says why.
class Parser {
public:
    explicit Parser(Scenario* scenario) : m_s(*scenario) {}

    const std::string& Error() const { return m_error; }

    bool Statement(const Tokens& t) {
        const std::string& keyword = t[0].text;
        if (keyword == "bridge") {
            return Bridge(t);
        }
        if (keyword == "node") {
            return Node(t);
        }
        if (keyword == "revision") {
            return Arity(t, 2, "revision <number or major.minor>") && Revision(t[1]);
        }
        if (keyword == "version") {
            if (!Arity(t, 2, "version \"<text>\"")) {
                return false;
            }
            if (!t[1].quoted || t[1].text.size() > kMaxVersionBytes) {
                return Fail("the version text must be quoted and at most 1024 bytes long");
            }
            m_s.versionText.assign(t[1].text.begin(), t[1].text.end());
            return true;
        }
        if (keyword == "tpdo3-cob-id") {
            return Arity(t, 2, "tpdo3-cob-id <number>") &&
                   Value(t[1], "the COB-ID", 0, 0xFFFFFFFF, &m_s.tpdo3CobId);
        }
        if (keyword == "tpdo3-mapped") {
            return Arity(t, 2, "tpdo3-mapped <count>") &&
                   Value(t[1], "the mapping count", 0, 255, &m_s.tpdo3Mapped);
        }
        if (keyword == "association-control") {
            return Arity(t, 2, "association-control <byte>") &&
                   Value(t[1], "the control byte", 0, 255, &m_s.associationControl);
        }
        if (keyword == "wireless") {
            return Arity(t, 2, "wireless paired|unpaired") &&
                   Choice(t[1], "paired", "unpaired", &m_s.wirelessPaired);
        }
        if (keyword == "battery") {
            return Arity(t, 2, "battery low|ok") && Choice(t[1], "low", "ok", &m_s.wirelessBatteryLow);
        }
        if (keyword == "signal-level") {
            return Arity(t, 2, "signal-level <0..255>") &&
                   Value(t[1], "the signal level", 0, 255, &m_s.signalLevel);
        }
        if (keyword == "signal-variation") {
            return Arity(t, 2, "signal-variation <0..255>") &&
                   Value(t[1], "the variation", 0, 255, &m_s.signalVariation);
        }
        if (keyword == "signal-period") {
            return Arity(t, 2, "signal-period <ms>") &&
                   Value(t[1], "the period", kMinSignalPeriodMs, kMaxDelayMs, &m_s.signalPeriodMs);
        }
        if (keyword == "pair-delay") {
            return Arity(t, 2, "pair-delay <ms>") &&
                   Value(t[1], "the delay", 0, kMaxDelayMs, &m_s.pairDelayMs);
        }
        if (keyword == "insert-batteries-when-window-opens") {
            return Arity(t, 2, "insert-batteries-when-window-opens on|off") &&
                   Choice(t[1], "on", "off", &m_s.insertBatteriesWhenWindowOpens);
        }
        if (keyword == "echo") {
            return Arity(t, 2, "echo on|off") && Choice(t[1], "on", "off", &m_s.echoTransmitted);
        }
        if (keyword == "fault") {
            return Fault(t);
        }
        if (keyword == "flood") {
            return FloodStatement(t);
        }
        if (keyword == "at") {
            return At(t);
        }
        return Fail("unknown statement \"" + keyword + "\"");
    }

private:
    bool Fail(std::string message) {
        m_error = std::move(message);
        return false;
    }

    bool Arity(const Tokens& t, size_t count, const char* usage) {
        return t.size() == count || Fail(std::string("expected: ") + usage);
    }

    template <typename T>
    bool Value(const Token& token, const char* what, uint32_t low, uint32_t high, T* out) {
        const std::optional<uint32_t> value = Number(token.text);
        if (!value || *value < low || *value > high) {
            char message[160];
            std::snprintf(message, sizeof message, "%s must be a number from %u to %u, not \"%.40s\"", what,
                          static_cast<unsigned>(low), static_cast<unsigned>(high), token.text.c_str());
            return Fail(message);
        }
        *out = static_cast<T>(*value);
        return true;
    }

    // Two-word settings such as on/off: the first word means true.
    bool Choice(const Token& token, const char* yes, const char* no, bool* out) {
        if (token.text != yes && token.text != no) {
            return Fail(std::string("expected \"") + yes + "\" or \"" + no + "\", not \"" + token.text +
                        "\"");
        }
        *out = token.text == yes;
        return true;
    }

    // flood <per-second>|unpaced <ms> keys|mixed
    bool FloodStatement(const Tokens& t) {
        if (!Arity(t, 4, "flood <per-second>|unpaced <ms> keys|mixed")) {
            return false;
        }
        Flood flood;
        if (t[1].text == "unpaced") {
            flood.perSecond = kUnpacedPerSecond;
        } else if (!Value(t[1], "the rate", 1, kUnpacedPerSecond, &flood.perSecond)) {
            return false;
        }
        if (!Value(t[2], "the duration", 1, kMaxTimelineMs, &flood.durationMs)) {
            return false;
        }
        bool keys = false;
        if (!Choice(t[3], "keys", "mixed", &keys)) {
            return false;
        }
        flood.mix = keys ? Flood::Mix::Keys : Flood::Mix::Mixed;
        m_s.flood = flood;
        return true;
    }

    bool Bridge(const Tokens& t) {
        if (t.size() < 3) {
            return Fail("expected: bridge <ip> <mac> [unreachable] [limit <n>] [in-use <n>]");
        }
        if (m_noBridge) {
            return Fail("a bridge contradicts \"fault no-bridge\"");
        }
        BridgeSpec bridge;
        if (!ParseAddress(t[1].text, &bridge.ip)) {
            return Fail("\"" + t[1].text + "\" is not an IPv4 address like 192.168.100.2");
        }
        if (!ParseMac(t[2].text, &bridge.mac)) {
            return Fail("\"" + t[2].text + "\" is not a MAC address like 00-50-C2-12-34-56");
        }
        for (size_t i = 3; i < t.size(); ++i) {
            const std::string& option = t[i].text;
            if (option == "unreachable") {
                bridge.reachable = false;
            } else if (option != "limit" && option != "in-use") {
                return Fail("unknown bridge option \"" + option + "\"");
            } else if (i + 1 == t.size()) {
                return Fail("\"" + option + "\" needs a number");
            } else if (!Value(t[++i], option.c_str(), 0, 255,
                              option == "limit" ? &bridge.connectionLimit : &bridge.connectionsInUse)) {
                return false;
            }
        }
        // The first bridge of a file replaces the default one.
        if (!m_bridgesGiven) {
            m_s.bridges.clear();
            m_bridgesGiven = true;
        }
        m_s.bridges.push_back(bridge);
        return true;
    }

    bool Node(const Tokens& t) {
        int node = 0;
        if (!Arity(t, 2, "node <0..127>") || !Value(t[1], "the node ID", 0, 127, &node)) {
            return false;
        }
        if (node == kBaseRemoteNode) {
            return Fail("node 72 is the base remote, present unless \"fault no-base-remote\"");
        }
        if (std::find(m_s.nodes.begin(), m_s.nodes.end(), node) != m_s.nodes.end()) {
            return Fail("node " + t[1].text + " is listed twice");
        }
        m_s.nodes.push_back(node);
        return true;
    }

    bool Revision(const Token& token) {
        const size_t dot = token.text.find('.');
        if (dot == std::string::npos) {
            return Value(token, "the revision", 0, 0xFFFFFFFF, &m_s.revision);
        }
        uint32_t major = 0;
        uint32_t minor = 0;
        if (!Value(Token{token.text.substr(0, dot)}, "the major revision", 0, 0xFFFF, &major) ||
            !Value(Token{token.text.substr(dot + 1)}, "the minor revision", 0, 0xFFFF, &minor)) {
            return false;
        }
        m_s.revision = major << 16 | minor;
        return true;
    }

    bool Fault(const Tokens& t) {
        if (t.size() < 2) {
            return Fail("expected: fault <name>");
        }
        const std::string& name = t[1].text;
        Faults& f = m_s.faults;
        if (name == "sdo-read" || name == "sdo-write") {
            uint32_t key = 0;
            if (!Arity(t, 3, "fault sdo-read|sdo-write <index>/<sub>")) {
                return false;
            }
            if (!ParseObject(t[2].text, &key)) {
                return Fail("\"" + t[2].text + "\" is not an object like 0x2010/5");
            }
            (name == "sdo-read" ? f.sdoReadFails : f.sdoWriteFails).push_back(key);
            return true;
        }
        if (!Arity(t, 2, "fault <name>")) {
            return false;
        }
        if (name == "no-bridge") {
            if (m_bridgesGiven) {
                return Fail("\"fault no-bridge\" contradicts the bridge lines above");
            }
            m_noBridge = true;
            m_s.bridges.clear();
            return true;
        }
        if (name == "no-base-remote") {
            m_s.baseRemotePresent = false;
            return true;
        }
        bool* flag = name == "scan-error"        ? &f.scanError
                     : name == "connect-refused" ? &f.connectRefused
                     : name == "enumerate-nodes" ? &f.enumerateNodesFails
                     : name == "buffer-size"     ? &f.bufferSizeRefused
                     : name == "register-events" ? &f.registerEventsRefused
                     : name == "transmit"        ? &f.transmitRefused
                                                 : nullptr;
        if (!flag) {
            return Fail("unknown fault \"" + name + "\"");
        }
        *flag = true;
        return true;
    }

    bool At(const Tokens& t) {
        TimelineEvent event;
        if (t.size() < 3) {
            return Fail("expected: at <ms> <event>");
        }
        if (!Value(t[1], "the time", 0, kMaxTimelineMs, &event.atMs)) {
            return false;
        }
        const std::string& what = t[2].text;
        bool ok = false;
        if (what == "key") {
            ok = Arity(t, 5, "at <ms> key wired|wireless <code>|up") &&
                 Choice(t[3], "wireless", "wired", &event.wireless);
            if (ok && t[4].text == "up") {
                event.kind = EventKind::KeyUp;
            } else if (ok) {
                event.kind = EventKind::KeyDown;
                ok = Value(t[4], "the key code", 0, 255, &event.code);
            }
        } else if (what == "battery") {
            bool low = false;
            ok = Arity(t, 4, "at <ms> battery low|ok") && Choice(t[3], "low", "ok", &low);
            event.kind = low ? EventKind::BatteryLow : EventKind::BatteryOk;
        } else if (what == "signal") {
            event.kind = EventKind::Signal;
            ok = Arity(t, 4, "at <ms> signal <0..255>") &&
                 Value(t[3], "the signal level", 0, 255, &event.code);
        } else if (what == "batteries-inserted") {
            event.kind = EventKind::BatteriesInserted;
            ok = Arity(t, 3, "at <ms> batteries-inserted");
        } else if (what == "bridge-lost") {
            event.kind = EventKind::BridgeLost;
            ok = Arity(t, 3, "at <ms> bridge-lost");
        } else {
            return Fail("unknown event \"" + what + "\"");
        }
        if (ok) {
            m_s.timeline.push_back(event);
        }
        return ok;
    }

    Scenario& m_s;
    std::string m_error;
    bool m_bridgesGiven = false;
    bool m_noBridge = false;
};

}  // namespace

bool ParseScenario(const std::string& text, Scenario* scenario, std::string* error) {
    Scenario parsed = DefaultScenario();
    Parser parser(&parsed);
    size_t start = 0;
    for (int number = 1; start <= text.size(); ++number) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string_view line(text.data() + start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        start = end + 1;
        Tokens tokens;
        std::string problem;
        if (line.size() > kMaxLineLength) {
            problem = "the line is longer than 4096 characters";
        } else if (Tokenize(line, &tokens, &problem) && !tokens.empty() && !parser.Statement(tokens)) {
            problem = parser.Error();
        }
        if (!problem.empty()) {
            if (error) {
                *error = "line " + std::to_string(number) + ": " + problem;
            }
            return false;
        }
    }
    if (!scenario) {
        if (error) {
            *error = "no scenario to fill";
        }
        return false;
    }
    *scenario = std::move(parsed);
    return true;
}

}  // namespace bench
