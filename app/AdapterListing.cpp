#include "app/AdapterListing.h"

#include <QCanBus>
#include <QSerialPortInfo>

#include "canbus/SocketCanState.h"

using canbus::ReadInterfaceState;
using chooser::Adapter;
using chooser::SerialAdapter;
using chooser::SocketCanAdapter;

namespace qtui {

std::vector<Adapter> ListAdapters() {
    std::vector<Adapter> adapters;
    for (const QCanBusDeviceInfo& device :
         QCanBus::instance()->availableDevices(QStringLiteral("socketcan"))) {
        const std::string name = device.name().toStdString();
        const auto state = ReadInterfaceState(name);
        adapters.push_back(SocketCanAdapter(name, state ? state->state : "state unknown",
                                            state ? state->bitrate : std::nullopt));
    }
    for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts()) {
        adapters.push_back(SerialAdapter(port.systemLocation().toStdString(),
                                         port.description().toStdString(),
                                         port.manufacturer().toStdString()));
    }
    return adapters;
}

}  // namespace qtui
