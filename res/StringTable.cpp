#include "res/StringTable.h"

#include <algorithm>
#include <iterator>

namespace res {
namespace {

struct StringEntry {
    int id;
    const char* text;
};

// Sorted by number.
constexpr StringEntry kStrings[] = {
    {1017, "Buttons will highlight when keys are pressed on wired/wireless remotes."},
    {1018, "Enables wireless remote association with base remote (20s timeout)."},
    {1019, "Base (wired) remote is connected to instrument."},
    {1020, "Wireless remote is placed on base remote, batteries removed. Press Associate."},
    {1022, "Within 20s, insert batteries into the wireless remote (note polarity)."},
    {1023, "Monitor signal strength (dBm) between base and wireless remotes."},
    {1024, "Send Align/View to Vistrel"},
    {1025, "Send Measure to Vistrel"},
    {1026, "Send focus -"},
    {1027, "Send focus +"},
    {1028, "Send zoom -"},
    {1029, "Send zoom +"},
    {1030, "Send spot"},
    {1031, "Send ring"},
    {1032, "Status of wireless remote battery"},
    {1033, "Communications, keypresses, events"},
};

}  // namespace

const char* LoadString(int id) {
    const auto* it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                                      [](const StringEntry& entry, int wanted) { return entry.id < wanted; });
    return it != std::end(kStrings) && it->id == id ? it->text : nullptr;
}

}  // namespace res
