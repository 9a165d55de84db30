// The main window as the hotkey service and the editor see it, for tests of
// the editor: it records every message box and answers confirmations from a
// queue that the test fills.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "hkmainf/hotkey_service.h"

namespace velmora::testing {

class FakeMainWindow : public MainWindowPort {
public:
    static constexpr WindowHandle kHandle = 0x7700;

    explicit FakeMainWindow(HotkeyService& s) : service(s) {}
    HotkeyService& service;
    std::vector<std::string> shown;  // OK-only boxes
    std::vector<std::string> asked;  // OK/Cancel boxes
    std::deque<bool> answers;        // a confirmation beyond them is a failure

    WindowHandle MainHandle() override { return kHandle; }
    bool MainVisible() override { return true; }
    void ShowMainWindow() override {}
    void ShowMessageBox() override { shown.push_back(service.MessageText); }
    bool ConfirmMessageBox() override {
        asked.push_back(service.MessageText);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected confirmation: " << service.MessageText;
            return false;
        }
        bool a = answers.front();
        answers.pop_front();
        return a;
    }
    void SetMainTimer(std::uintptr_t, unsigned) override {}
    void KillMainTimer(std::uintptr_t) override {}
};

}  // namespace velmora::testing
