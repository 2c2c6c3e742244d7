// The twelve operations of the bridge library on CAN adapters. One object holds it all: the
// adapters last enumerated, the callbacks, and the session of the connected adapter. Every
// operation answers a call out of order or a bad argument with its failure value and lets no
// exception out.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "canbus/FrameChannel.h"
#include "canbus/WaitClock.h"
#include "canlink/AdapterExtension.h"
#include "canlink/QuarnCANopen.h"
#include "tolvikcan/AdapterName.h"
#include "tolvikcan/Session.h"

namespace tolvikcan {

// How named adapters meet the machine: whether one exists (never by opening it), and a channel
// for it. The system's are in SystemAdapters.h; tests give virtual ones.
struct Adapters {
    // The adapters named (TOLVIK_CAN_ADAPTER), read at each enumeration.
    std::function<std::string()> named;
    std::function<bool(const AdapterName&)> exists;
    std::function<std::unique_ptr<canbus::FrameChannel>(const AdapterName&)> channel;
    canbus::WaitClock* clock = nullptr;
    // Where each reason and event line goes besides the host's reason proc (standard error for
    // the system's adapters). Any thread.
    std::function<void(const std::string&)> report;
};

class Library {
public:
    explicit Library(Adapters adapters) : m_adapters(std::move(adapters)) {}
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // The operations, named as exported. CAN_EnumerateBridges gives the adapters named that
    // exist, in the order named; one that does not exist is left out, like a bridge that does
    // not answer, and reported. CAN_Connect takes only an address of the last enumeration and
    // reports which adapter it uses.
#define TOLVIK_CAN_DECLARE(name, result, parameters, arguments) result name parameters;
    CAN_OPERATIONS(TOLVIK_CAN_DECLARE)
#undef TOLVIK_CAN_DECLARE

    // The host's function for reason lines; null stops them. A line may still be in the old
    // proc when this returns; after CAN_Disconnect none is.
    void SetReasonProc(TOLVIK_ReasonProc proc) {
        m_reasonProc.store(proc);
    }

private:
    struct Bridge {
        AdapterName adapter;
        BridgeIdentity identity;
    };
    std::shared_ptr<Session> Current();
    // One line to `report` and to the reason proc. Any thread.
    void Report(const std::string& line) const noexcept;

    const Adapters m_adapters;
    std::mutex m_mutex;  // guards what follows; never held while a session works or closes
    std::vector<Bridge> m_bridges;
    std::shared_ptr<Session> m_session;
    CAN_PdoEventProc m_onPdo = nullptr;
    std::atomic<TOLVIK_ReasonProc> m_reasonProc{nullptr};
};

}  // namespace tolvikcan
