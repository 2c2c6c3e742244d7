// Decoding of the five predefined entities and of numeric character references.
#pragma once

#include "config/XmlArena.h"
#include "config/XmlEncoding.h"

namespace config {

// A zero-terminated arena copy of [start, end) with every entity replaced by its byte; null for
// an entity outside the table or a malformed or unterminated reference. References keep the low
// 8 bits of their value, "&#;" gives a zero byte.
const char* DecodeEntities(XmlArena& arena, const XmlCharLengths& lengths, const char* start,
                           const char* end);

}  // namespace config
