#include "tests/support/RecordingPort.h"

#include "res/Resource.h"

using canlink::Bridge;
using port::MessageIcon;
using port::WaitDialogPort;

RecordingPort::RecordingPort() : link(Bridge()) {
    link.g_mainDialog = this;
}

void RecordingPort::Record(std::string event) {
    m_events.push_back(std::move(event));
}

void RecordingPort::AddStatusLine(std::string_view text) {
    std::lock_guard lock(m_mutex);
    m_lines.emplace_back(text);
    Record("line:" + std::string(text));
}

void RecordingPort::SetItemText(int controlId, const char* text) {
    std::lock_guard lock(m_mutex);
    m_texts[controlId] = text;
    if (controlId == res::IDC_BATTERY) {
        m_batteryAtText.push_back(link.g_batteryState.load());
    }
    Record("text:" + std::to_string(controlId) + ":" + text);
}

void RecordingPort::SetItemPicture(int controlId, int bitmapId) {
    std::lock_guard lock(m_mutex);
    m_pictures[controlId] = bitmapId;
    Record("picture:" + std::to_string(controlId) + ":" + std::to_string(bitmapId));
}

void RecordingPort::SetBarPosition(int controlId, int position) {
    std::lock_guard lock(m_mutex);
    m_bars[controlId] = position;
    Record("bar:" + std::to_string(controlId) + ":" + std::to_string(position));
}

void RecordingPort::ShowMessageBox(std::string_view text, MessageIcon icon) {
    std::lock_guard lock(m_mutex);
    m_boxes.push_back({std::string(text), icon, link.m_linkFailed});
    Record("box:" + std::string(text));
}

void RecordingPort::EnableItem(int controlId, bool enable) {
    std::lock_guard lock(m_mutex);
    m_enabled[controlId] = enable;
    Record("enable:" + std::to_string(controlId) + ":" + (enable ? "1" : "0"));
}

std::unique_ptr<WaitDialogPort> RecordingPort::CreateWaitDialog() {
    if (waitDialogFactory) {
        return waitDialogFactory();
    }
    return std::make_unique<RecordingWaitDialog>(this);
}

std::vector<std::string> RecordingPort::Lines() const {
    std::lock_guard lock(m_mutex);
    return m_lines;
}

std::vector<RecordedBox> RecordingPort::Boxes() const {
    std::lock_guard lock(m_mutex);
    return m_boxes;
}

std::vector<std::string> RecordingPort::Events() const {
    std::lock_guard lock(m_mutex);
    return m_events;
}

std::string RecordingPort::Text(int controlId) const {
    std::lock_guard lock(m_mutex);
    auto it = m_texts.find(controlId);
    return it == m_texts.end() ? std::string() : it->second;
}

int RecordingPort::Picture(int controlId) const {
    std::lock_guard lock(m_mutex);
    auto it = m_pictures.find(controlId);
    return it == m_pictures.end() ? -1 : it->second;
}

int RecordingPort::Bar(int controlId) const {
    std::lock_guard lock(m_mutex);
    auto it = m_bars.find(controlId);
    return it == m_bars.end() ? -1 : it->second;
}

bool RecordingPort::Enabled(int controlId) const {
    std::lock_guard lock(m_mutex);
    auto it = m_enabled.find(controlId);
    return it != m_enabled.end() && it->second;
}

std::vector<int> RecordingPort::BatteryStateAtText() const {
    std::lock_guard lock(m_mutex);
    return m_batteryAtText;
}

std::vector<std::string> RecordingPort::WaitEvents() const {
    std::lock_guard lock(m_mutex);
    return m_waitEvents;
}

RecordingWaitDialog::RecordingWaitDialog(RecordingPort* port, int closeAfterSteps)
    : m_port(port), m_closeAfterSteps(closeAfterSteps) {
    std::lock_guard lock(m_port->m_mutex);
    m_port->m_waitEvents.push_back("open");
}

RecordingWaitDialog::~RecordingWaitDialog() {
    std::lock_guard lock(m_port->m_mutex);
    m_port->m_waitEvents.push_back("destroy");
}

void RecordingWaitDialog::UpdateText(const char* text) {
    std::lock_guard lock(m_port->m_mutex);
    if (m_open) {
        m_port->m_waitEvents.push_back("text:" + std::string(text));
    }
}

void RecordingWaitDialog::UpdateProgress(int position) {
    std::lock_guard lock(m_port->m_mutex);
    if (!m_open) {
        return;
    }
    if (position > 100) {
        m_open = false;
        m_port->m_waitEvents.push_back("dismiss");
        return;
    }
    m_port->m_waitEvents.push_back("progress:" + std::to_string(position < 0 ? 0 : position));
}

bool RecordingWaitDialog::ProcessMessages() {
    std::lock_guard lock(m_port->m_mutex);
    if (m_open && m_closeAfterSteps >= 0 && m_steps++ == m_closeAfterSteps) {
        m_open = false;
        m_port->m_waitEvents.push_back("cancel");
    }
    return true;
}
