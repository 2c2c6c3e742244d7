// What both front ends' status logs share: how many lines they hold and what a full log does
// with more, as a full list box does: it refuses the line without a message, the lines shown and
// the horizontal extent stay as they were, and the last line stays selected.
#pragma once

namespace statuslog {

// A long working day of heavy use (a key event every second for 24 hours is 86,400 lines) with
// room to spare, at about 125 bytes a line: some 25 MB when full.
constexpr int kMaxLines = 200000;
// What adding a line answers once the log is full (the list box's LB_ERRSPACE).
constexpr int kErrSpace = -2;

// Of `offered` lines arriving at a log that holds `count`, how many it takes: the first ones, as
// many as there is room for.
constexpr int AdmittedLines(int count, int offered) {
    const int room = count < kMaxLines ? kMaxLines - count : 0;
    return offered < room ? (offered > 0 ? offered : 0) : room;
}

}  // namespace statuslog
