#include "tolvikcan/Library.h"

#include <algorithm>
#include <cstring>

#include "canlink/Guarded.h"
#include "tolvikcan/NmtTable.h"

namespace tolvikcan {
namespace {

using canlink::Guarded;

bool ValidObject(int node, int index, int subIndex) {
    return node >= 1 && node <= canopen::kMaxNode && index >= 0 && index <= 0xFFFF && subIndex >= 0 &&
           subIndex <= 0xFF;
}

// What a technician checks when a named adapter is not there.
std::string AbsentReason(const AdapterName& adapter) {
    if (adapter.kind == AdapterName::Kind::SocketCan) {
#ifndef __linux__
        return adapter.Name() +
               ": SocketCAN interfaces exist only on Linux; name the adapter's serial port (slcan:)";
#else
        return adapter.Name() +
               ": no such network interface; check that the adapter is plugged in and its driver "
               "loaded ('ip link' lists the interfaces)";
#endif
    }
    return adapter.Name() +
           ": no serial port of that name; check that the adapter is plugged in and the "
           "name is right";
}

// Which of the adapters present is used, when there is a choice.
std::string Rank(std::ptrdiff_t index, size_t present) {
    if (present < 2) {
        return {};
    }
    const std::string of = " of " + std::to_string(present) + " present)";
    return index == 0 ? " (first" + of : " (number " + std::to_string(index + 1) + of;
}

int Conclude(const canopen::SdoResult& result, int* outValue) {
    if (outValue) {
        *outValue = static_cast<int>(result.value);
    }
    return result.ok ? CAN_OK : CAN_FAILED;
}

}  // namespace

Library::~Library() {
    CAN_Disconnect();
}

void Library::Report(const std::string& line) const noexcept {
    Guarded(0, [&] {
        if (m_adapters.report) {
            m_adapters.report(line);
        }
        if (const TOLVIK_ReasonProc proc = m_reasonProc.load()) {
            proc(line.c_str());
        }
        return 0;
    });
}

std::shared_ptr<Session> Library::Current() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_session;
}

int Library::CAN_EnumerateBridges(CAN_BRIDGE_INFO* bridges, int capacity) {
    if (!bridges || capacity < 0) {
        return CAN_SCAN_FAILED;
    }
    std::vector<std::string> lines;
    const int result = Guarded(CAN_SCAN_FAILED, [&] {
        std::vector<AdapterName> named;
        std::string error;
        if (!ParseAdapterNames(m_adapters.named(), &named, &error)) {
            lines.push_back("Adapter name not understood: " + error);
            return CAN_SCAN_FAILED;
        }
        if (named.empty()) {
            lines.push_back("No CAN adapter named; name one with --adapter or TOLVIK_CAN_ADAPTER");
        }
        const std::vector<BridgeIdentity> identities = BridgeIdentities(named);
        std::vector<Bridge> found;
        for (size_t i = 0; i < named.size(); ++i) {
            if (m_adapters.exists(named[i])) {
                found.push_back({named[i], identities[i]});
            } else {
                lines.push_back(AbsentReason(named[i]));
            }
        }
        const int count = static_cast<int>(std::min<size_t>(found.size(), static_cast<size_t>(capacity)));
        for (int i = 0; i < count; ++i) {
            std::copy(found[i].identity.ip.begin(), found[i].identity.ip.end(), bridges[i].ipAddress);
            std::copy(found[i].identity.mac.begin(), found[i].identity.mac.end(), bridges[i].macAddress);
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bridges = std::move(found);
        return count;
    });
    for (const std::string& line : lines) {
        Report(line);
    }
    return result;
}

int Library::CAN_Connect(uint32_t ipAddress) {
    // Lines go out once the lock is let go: the host may call back in from its proc.
    std::vector<std::string> lines;
    const int result = Guarded(CAN_CONNECT_FAILED, [&] {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_session) {
            return CAN_CONNECT_FAILED;
        }
        const auto bridge = std::find_if(m_bridges.begin(), m_bridges.end(), [&](const Bridge& b) {
            return std::memcmp(b.identity.ip.data(), &ipAddress, sizeof ipAddress) == 0;
        });
        if (bridge == m_bridges.end()) {
            return CAN_CONNECT_FAILED;
        }
        const std::string name = bridge->adapter.Name();
        lines.push_back("Using adapter " + name + Rank(bridge - m_bridges.begin(), m_bridges.size()));
        std::unique_ptr<canbus::FrameChannel> channel = m_adapters.channel(bridge->adapter);
        if (!channel) {
            lines.push_back(name + ": this kind of adapter is not available on this system");
            return CAN_CONNECT_FAILED;
        }
        auto session = std::make_shared<Session>(std::move(channel), *m_adapters.clock);
        session->SetCallback(m_onPdo);
        // Made here: the notice runs on the channel's reader thread, where nothing may throw.
        const std::string lost = name +
                                 ": the link to the adapter was lost (unplugged, hung up or a read "
                                 "error); nothing reaches the bus until Tolvik is started again";
        session->SetLinkLostNotice([this, lost] { Report(lost); });
        std::string error;
        if (!session->Open(&error)) {
            lines.push_back(name + ": " + error);
            return CAN_CONNECT_FAILED;
        }
        m_session = std::move(session);
        return CAN_OK;
    });
    for (const std::string& line : lines) {
        Report(line);
    }
    return result;
}

int Library::CAN_Disconnect() {
    return Guarded(CAN_FAILED, [&] {
        std::shared_ptr<Session> session;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            // Joining the dispatcher from inside its own callback would never return.
            if (!m_session || m_session->OnDispatcherThread()) {
                return CAN_FAILED;
            }
            session = std::move(m_session);
        }
        session->Close();
        return CAN_OK;
    });
}

int Library::CAN_EnumerateNodes(uint8_t* nodeTable) {
    if (!nodeTable) {
        return CAN_FAILED;
    }
    return Guarded(CAN_FAILED, [&] {
        const std::shared_ptr<Session> session = Current();
        std::bitset<canopen::kMaxNode + 1> present;
        if (!session || !session->Client().ScanNodes(&present)) {
            return CAN_FAILED;
        }
        for (int node = 0; node < CAN_NODE_TABLE_SIZE; ++node) {
            nodeTable[node] = present[static_cast<size_t>(node)] ? CAN_NODE_PRESENT : 0;
        }
        return CAN_OK;
    });
}

int Library::CAN_SetPDOBufferSize(int size) {
    return Guarded(CAN_FAILED, [&] {
        const std::shared_ptr<Session> session = Current();
        return session && session->Client().Pdos().SetCapacity(size) ? CAN_OK : CAN_FAILED;
    });
}

int Library::CAN_RegisterEvents(CAN_PdoEventProc onPdo, CAN_SecondaryEventProc) {
    if (!onPdo) {
        return CAN_FAILED;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_onPdo = onPdo;
    if (m_session) {
        m_session->SetCallback(onPdo);
    }
    return CAN_OK;
}

int Library::CAN_RegisterPDO(CAN_PDO pdo) {
    return Guarded(CAN_FAILED, [&] {
        const std::shared_ptr<Session> session = Current();
        return session && session->Client().RegisterPdo(pdo.cobId) ? CAN_OK : CAN_FAILED;
    });
}

int Library::CAN_GetPDO(CAN_PDO* pdo) {
    if (!pdo) {
        return CAN_FAILED;
    }
    return Guarded(CAN_FAILED, [&] {
        const std::shared_ptr<Session> session = Current();
        canbus::CanFrame frame;
        if (!session || !session->Client().Pdos().Take(&frame)) {
            return CAN_FAILED;
        }
        *pdo = CAN_PDO{};
        pdo->cobId = frame.id;
        pdo->length = frame.length;
        std::copy_n(frame.data.begin(), frame.length, pdo->data);
        return CAN_OK;
    });
}

int Library::CAN_TransmitPDO(CAN_PDO pdo) {
    if (pdo.cobId > canbus::kMaxStandardId || pdo.length > canbus::kMaxFrameBytes) {
        return CAN_FAILED;
    }
    return Guarded(CAN_FAILED, [&] {
        const std::shared_ptr<Session> session = Current();
        canbus::CanFrame frame;
        frame.id = pdo.cobId;
        frame.length = static_cast<uint8_t>(pdo.length);
        std::copy_n(pdo.data, frame.length, frame.data.begin());
        return session && session->Client().TransmitPdo(frame) ? CAN_OK : CAN_FAILED;
    });
}

int Library::CAN_SDORead(int node, int index, int subIndex, void* buffer, int size, int* outValue) {
    if (!ValidObject(node, index, subIndex) || !buffer || size <= 0) {
        return CAN_FAILED;
    }
    return Guarded(CAN_FAILED, [&] {
        const std::shared_ptr<Session> session = Current();
        if (!session) {
            return CAN_FAILED;
        }
        return Conclude(session->Client().Upload(static_cast<uint8_t>(node), static_cast<uint16_t>(index),
                                                 static_cast<uint8_t>(subIndex),
                                                 static_cast<uint8_t*>(buffer), static_cast<size_t>(size)),
                        outValue);
    });
}

int Library::CAN_SDOWrite(int node, int index, int subIndex, void* data, int size, int* outValue) {
    if (!ValidObject(node, index, subIndex) || !data || size <= 0) {
        return CAN_FAILED;
    }
    return Guarded(CAN_FAILED, [&] {
        const std::shared_ptr<Session> session = Current();
        if (!session) {
            return CAN_FAILED;
        }
        return Conclude(
            session->Client().Download(static_cast<uint8_t>(node), static_cast<uint16_t>(index),
                                       static_cast<uint8_t>(subIndex), static_cast<const uint8_t*>(data),
                                       static_cast<size_t>(size)),
            outValue);
    });
}

int Library::CAN_SetNodeState(int node, int state) {
    const std::optional<uint8_t> command = NmtCommandForState(state);
    if (!command || node < 1 || node > canopen::kMaxNode) {
        return CAN_FAILED;
    }
    return Guarded(CAN_FAILED, [&] {
        const std::shared_ptr<Session> session = Current();
        return session && session->Client().SendNmt(*command, static_cast<uint8_t>(node)) ? CAN_OK
                                                                                          : CAN_FAILED;
    });
}

}  // namespace tolvikcan
