// The Win32 status log: the cost of one more line, appended, selected and shown, at 1,000,
// 10,000, 100,000 and 200,000 lines, and each against the cost at 1,000 lines. Run under Wine on
// a virtual display.
#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

#include "perf/statuslog/LogSizes.h"
#include "win32/CHListBox.h"

using win32::CHListBox;

namespace {

void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&message);
    }
}

// Lines arrive as the hand-over delivers them under a flood: batches of up to 4,096.
void Fill(CHListBox& log, int lines) {
    std::vector<std::string> batch;
    for (int i = 0; i < lines; ++i) {
        batch.push_back("Key (Zoom +) down " + std::to_string(i));
        if (batch.size() == 4096 || i + 1 == lines) {
            log.AddStrings(batch);
            batch.clear();
        }
    }
}

// Microseconds per line for `measured` lines appended one at a time on top of `lines` minus them;
// with `shown`, the list box repaints after each.
double CostAt(int lines, int measured, bool shown) {
    // The status log's styles, as template 102 gives them.
    // Hidden, the list box's own cost without the display's; shown, what the user waits for.
    HWND frame = CreateWindowExA(0, "STATIC", "log", WS_OVERLAPPEDWINDOW | (shown ? WS_VISIBLE : 0), 0, 0,
                                 300, 400, nullptr, nullptr, nullptr, nullptr);
    HWND list = CreateWindowExA(0, "LISTBOX", nullptr,
                                WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP |
                                    LBS_NOINTEGRALHEIGHT | LBS_NOTIFY,
                                10, 10, 140, 200, frame, nullptr, nullptr, nullptr);
    SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    CHListBox log;
    log.Attach(list);
    Fill(log, lines - measured);
    log.SetCurSel(log.GetCount() - 1);
    Pump();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < measured; ++i) {
        log.AddStrings({"Key (Zoom +) down " + std::to_string(i)});
        log.SetCurSel(log.GetCount() - 1);
        if (shown) {
            UpdateWindow(list);
            Pump();
        }
    }
    const double cost =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() /
        measured;
    DestroyWindow(frame);
    return cost;
}

}  // namespace

int main() {
    PrintCosts("Win32", "appended and selected", [](int lines) { return CostAt(lines, kMeasured, false); });
    // Wine repaints through the X server, which costs far more than the list box itself: fewer lines.
    PrintCosts("Win32", "appended, selected and shown", [](int lines) { return CostAt(lines, 10, true); });
    return 0;
}
