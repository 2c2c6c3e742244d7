// A real main dialog on a bench in virtual time, offscreen, with its message boxes answered.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "app/CTolvikDlg.h"
#include "tests/support/BenchBinding.h"

// Presses OK on every message box that opens while it lives, remembering text and icon.
class BoxAnswerer {
public:
    BoxAnswerer() {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts.push_back(box->text().toStdString());
                icons.push_back(box->icon());
                box->done(QMessageBox::Ok);
            }
        });
        m_timer.start();
    }
    std::vector<std::string> texts;
    std::vector<QMessageBox::Icon> icons;

private:
    QTimer m_timer;
};

// Lets the queued hand-overs of the bench's thread reach the dialog.
inline void SettleBench() {
    bench::WaitIdle();
    QCoreApplication::processEvents();
}

class DialogTest : public testing::Test {
protected:
    void Start(const bench::Scenario& scenario = bench::DefaultScenario()) {
        m_bench = std::make_unique<VirtualBench>(scenario);
        m_dlg = std::make_unique<qtui::CTolvikDlg>();
        m_dlg->OnInitDialog();
        SettleBench();
    }
    void TearDown() override {
        m_dlg.reset();
        m_bench.reset();
    }
    std::vector<std::string> Lines() const;
    QImage Picture() const;

    BoxAnswerer m_boxes;
    std::unique_ptr<VirtualBench> m_bench;
    std::unique_ptr<qtui::CTolvikDlg> m_dlg;
};
