#include "platform/MessageBox.h"

#include <atomic>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdio>
#endif

namespace platform {
namespace {

void DefaultHandler(const char* caption, const char* text) {
#ifdef _WIN32
    MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONERROR | MB_TOPMOST);
#else
    std::fprintf(stderr, "%s: %s\n", caption, text);
#endif
}

std::atomic<ErrorMessageHandler> g_handler{&DefaultHandler};

}  // namespace

void ShowErrorMessageBox(const char* caption, const char* text) {
    g_handler.load()(caption, text);
}

ErrorMessageHandler SetErrorMessageHandler(ErrorMessageHandler handler) {
    return g_handler.exchange(handler ? handler : &DefaultHandler);
}

}  // namespace platform
