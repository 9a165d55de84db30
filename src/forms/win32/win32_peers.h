// The native mirrors of the model's controls (internal to the backend).
#pragma once

#include "platform/win32/win32.h"

#include <memory>
#include <string>
#include <vector>

#include "forms/forms.h"
#include "forms/win32/handles.h"
#include "forms/win32/win32_backend.h"

namespace velmora::forms::win32 {

class FormPeer;

class Win32Peer : public Peer, public MessageTarget {
public:
    Win32Peer(Win32Backend& backend, Control& control);
    ~Win32Peer() override;

    // Creates the window under `parent` (for forms: the owner window).
    virtual void Create(HWND parent) = 0;

    HWND Hwnd() const { return hwnd_.Get(); }
    Control& GetControl() { return control_; }
    FormPeer* GetFormPeer() const { return formPeer_; }
    // Controls that hold the keyboard focus themselves (the form, panels and
    // graphic controls do not).
    bool TakesFocus() const;
    // The window that should get the focus for this control.
    virtual HWND FocusWindow() { return Hwnd(); }
    // The focus moved inside the form (buttons show the default frame).
    virtual void FocusMoved(Control*, bool /*focusOnButton*/) {}
    // A key the control handles itself before the model sees it (a combo
    // box closing its open list on Enter or Esc).
    virtual bool KeepsKey(std::uint16_t) { return false; }
    // A key the model left alone; true when the control used it.
    virtual bool KeyAfterModel(std::uint16_t) { return false; }
    // The form is being destroyed: report nothing to the model any more.
    bool Silent() const;

    // Peer
    WindowHandle Handle() override { return reinterpret_cast<WindowHandle>(hwnd_.Get()); }
    void TextChanged() override;
    void VisibleChanged() override;
    void EnabledChanged() override;
    void BoundsChanged() override;
    void FocusRequested() override;

    // MessageTarget
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) final;
    void WindowGone(HWND hwnd) override;
    Win32Peer* AsPeer() override { return this; }

    // A WM_COMMAND notification this window sent to its parent.
    virtual void Notify(UINT /*code*/) {}
    // WM_DRAWITEM for this (owner-drawn) window.
    virtual void DrawItem(const DRAWITEMSTRUCT&) {}
    // Hands the control's hint to its form's tooltip, for each of its windows.
    virtual void GiveHints();

protected:
    // Before the model sees the message; true when fully handled.
    virtual bool BeforeModel(HWND, UINT, WPARAM, LPARAM, LRESULT&) { return false; }
    // After the model declined it, before default processing.
    virtual bool OnMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&) { return false; }
    // Extra window height below the control's own (a combo box's list).
    virtual int ExtraHeight() const { return 0; }

    // Creates the child window of the control and binds it; `ownClass`
    // windows are bound at WM_NCCREATE, standard controls subclassed.
    HWND CreateChild(const wchar_t* windowClass, DWORD style, DWORD exStyle, HWND parent, bool ownClass);
    std::wstring WindowText() const;
    void SetWindowTextQuietly(const std::wstring& text);
    // Hands the window's text to the model as the user typed it.
    void TypedText();
    HFONT ControlFont() { return backend_.FontFor(control_.font); }
    void GainFocus();
    void LoseFocus(HWND newFocus);

    Win32Backend& backend_;
    Control& control_;
    UniqueWindow hwnd_;
    FormPeer* formPeer_ = nullptr;
    int echo_ = 0;   // > 0 while the model's change is pushed into the window

    friend class FormPeer;
};

class FormPeer : public Win32Peer {
public:
    FormPeer(Win32Backend& backend, Form& form);
    ~FormPeer() override;

    void Create(HWND owner) override;
    void BoundsChanged() override;
    void VisibleChanged() override;
    void BringToFront() override;
    void FocusRequested() override {}

    Form& GetForm() { return form_; }
    void Join(Win32Peer* member);
    void Leave(Win32Peer* member);
    bool TearingDown() const { return tearingDown_; }
    // The model's focused control when it is still one of ours.
    Win32Peer* FocusedMember();
    Win32Peer* MemberOf(const Control* c);
    void FocusMoved();
    // Shows or hides the window (the backend's ShowForm).
    void ShowNow(bool visible);
    void SetRestoreActive(HWND h) { restoreActive_ = h; }
    // Presses the showing, enabled button or check box whose caption has
    // `key` as its access key; false when there is none.
    bool PressAccessKey(char key);
    // A control's hint, once the form has its tooltip.  The tooltip is made
    // when the mouse first moves over the form, and every member then gives
    // its hints (GiveHints): a form used from the keyboard alone has none.
    void AddTool(HWND tool, const std::string& hint);
    void RemoveTool(HWND tool);
    // A mouse message of one of the form's windows, shown to its tooltip.
    void RelayToTooltip(const MSG& msg);

protected:
    bool BeforeModel(HWND, UINT, WPARAM, LPARAM, LRESULT&) override;
    bool OnMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&) override;

private:
    void NoteOuterBounds();
    void Center();
    bool MakeTooltip();

    Form& form_;
    std::vector<Win32Peer*> members_;
    UniqueWindow tooltip_;
    HWND restoreActive_ = nullptr;
    bool tearingDown_ = false;
    bool sizing_ = false;
    bool framePending_ = false;   // shown, its frame not painted yet
    HICON icons_[2] = {};         // the form's icons (its class's), big and small
};

std::unique_ptr<Win32Peer> MakePeer(Win32Backend& backend, Control& control);

}  // namespace velmora::forms::win32
