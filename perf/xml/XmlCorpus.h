// Texts the XML benchmarks parse: configuration files shaped like the host application's, and
// synthetic documents of a given size.
#pragma once

#include <cstddef>
#include <string>

std::string MainConfigText();
std::string SystemInfoText();
// A hardware configuration with `sections` device sections besides the bridge's.
std::string HardwareConfigText(int sections);
// Measurement series (attributes, entities, text, comments, CDATA) up to about `bytes`.
std::string MeasurementText(size_t bytes);
// One element with `children` empty children.
std::string WideText(int children);
