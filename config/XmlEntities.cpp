#include "config/XmlEntities.h"

#include <cstring>

#include "config/XmlName.h"

namespace config {

namespace {

struct Entity {
    const char* text;
    int length;
    char byte;
};

constexpr Entity kEntities[] = {
    {"&amp;", 5, '&'}, {"&lt;", 4, '<'}, {"&gt;", 4, '>'}, {"&quot;", 6, '"'}, {"&apos;", 6, '\''},
};

int DigitValue(char c, bool hex) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (hex && c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (hex && c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Reads the entity or reference at `p` (an '&') into `*byte`; returns the position after it, or
// null when it is not one.
const char* ReadEntity(const char* p, const char* end, char* byte) {
    const ptrdiff_t remaining = end - p;
    if (p[1] == '#' && remaining > 2) {
        const bool hex = p[2] == 'x' || p[2] == 'X';
        unsigned value = 0;
        for (const char* d = p + (hex ? 3 : 2); d < end; ++d) {
            if (*d == ';') {
                *byte = static_cast<char>(value & 0xFF);
                return d + 1;
            }
            int digit = DigitValue(*d, hex);
            if (digit < 0) {
                return nullptr;
            }
            value = value * (hex ? 16 : 10) + digit;  // wraps; only the low 8 bits count
        }
        return nullptr;
    }
    for (const Entity& entity : kEntities) {
        if (remaining >= entity.length && StartsWithIgnoringCase(p, entity.text)) {
            *byte = entity.byte;
            return p + entity.length;
        }
    }
    return nullptr;
}

}  // namespace

const char* DecodeEntities(XmlArena& arena, const XmlCharLengths& lengths, const char* start,
                           const char* end) {
    const size_t size = end - start;
    // An '&' byte may sit inside a multi-byte character; only then is the walk below needed.
    if (!std::memchr(start, '&', size)) {
        return arena.CopyString(start, size);
    }
    char* decoded = arena.BeginString(size + 1);
    char* out = decoded;
    for (const char* p = start; p < end && *p != '\0';) {
        if (*p == '&') {
            p = ReadEntity(p, end, out++);
            if (!p) {
                return nullptr;
            }
            continue;
        }
        const char* next = NextChar(lengths, p);
        while (p < next && p < end) {
            *out++ = *p++;
        }
    }
    *out++ = '\0';
    arena.Shrink(decoded, out - decoded);
    return decoded;
}

}  // namespace config
