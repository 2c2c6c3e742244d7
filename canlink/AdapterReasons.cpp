#include "canlink/AdapterReasons.h"

#include <cstring>
#include <string_view>

#include "canlink/Guarded.h"
#include "canlink/LinkSession.h"

using port::RemoteView;

namespace canlink {
namespace {

// A reason is one line of the log: longer text from the library is cut.
constexpr size_t kMaxReasonLength = 1024;

}  // namespace

void CAN_CALLCONV OnAdapterReason(const char* line) {
    // Without a dialog (one racing its creation or its close) there is nowhere to show it; the
    // library has written it to standard error as well.
    LinkSession* link = LinkSession::Running();
    RemoteView* dlg = link ? link->g_mainDialog.load() : nullptr;
    if (dlg == nullptr || line == nullptr) {
        return;
    }
    Guarded(0, [&] {
        dlg->AddStatusLine(std::string_view(line, ::strnlen(line, kMaxReasonLength)));
        return 0;
    });
}

}  // namespace canlink
