#include "canlink/AdapterReasons.h"

#include <cstring>
#include <string>
#include <string_view>

#include "canlink/Guarded.h"
#include "canlink/LinkSession.h"

using port::RemoteView;

namespace canlink {
namespace {

// A reason is one line of the log. A longer one loses its middle, not its end: the library's
// lines start with the adapter's name, which can be of any length, and end with the reason.
constexpr size_t kMaxReasonLength = 1024;
constexpr size_t kKeptHead = 256;
constexpr std::string_view kCut = " ... ";
// How far a line is looked at; the command line bounds an adapter's name well below it.
constexpr size_t kMaxScanned = 64 * 1024;

std::string ShownReason(const char* line) {
    const std::string_view text(line, ::strnlen(line, kMaxScanned));
    if (text.size() <= kMaxReasonLength) {
        return std::string(text);
    }
    const size_t tail = kMaxReasonLength - kKeptHead - kCut.size();
    return std::string(text.substr(0, kKeptHead)).append(kCut).append(text.substr(text.size() - tail));
}

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
        dlg->AddStatusLine(ShownReason(line));
        return 0;
    });
}

}  // namespace canlink
