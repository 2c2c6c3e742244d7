#include "tolvikcan/SystemAdapters.h"

#include <cstdio>
#include <cstdlib>

#include "canbus/SerialPort.h"
#include "canbus/SlcanChannel.h"
#ifdef __linux__
#include "canbus/SocketCanChannel.h"
#endif

namespace tolvikcan {

Adapters SystemAdapters() {
    static canbus::SteadyWaitClock clock;
    Adapters adapters;
    adapters.named = [] {
        const char* named = std::getenv("TOLVIK_CAN_ADAPTER");
        return std::string(named ? named : "");
    };
    adapters.exists = [](const AdapterName& spec) {
        if (spec.kind == AdapterName::Kind::Slcan) {
            return canbus::SerialDeviceExists(spec.device);
        }
#ifdef __linux__
        return canbus::NetworkInterfaceExists(spec.device);
#else
        return false;  // SocketCAN is Linux's
#endif
    };
    adapters.channel = [](const AdapterName& spec) -> std::unique_ptr<canbus::FrameChannel> {
        if (spec.kind == AdapterName::Kind::Slcan) {
            return std::make_unique<canbus::SlcanChannel>(canbus::NewSystemSerialPort(), spec.device,
                                                          spec.bitrate);
        }
#ifdef __linux__
        return std::make_unique<canbus::SocketCanChannel>(spec.device);
#else
        return nullptr;
#endif
    };
    adapters.clock = &clock;
    adapters.report = [](const std::string& message) {
        std::fprintf(stderr, "tolvikcan: %s\n", message.c_str());
    };
    return adapters;
}

}  // namespace tolvikcan
