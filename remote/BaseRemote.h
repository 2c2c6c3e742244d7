// The base remote on the bus: the node the firmware, signal-strength and association objects live on.
#pragma once

constexpr int kBaseRemoteNode = 72;
