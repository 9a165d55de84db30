// The base of every native mirror of a control (internal to the backend),
// and what the mirror of a control asks of the mirror of its form.
#pragma once

#include "platform/win32/win32.h"

#include <cstdint>
#include <string>

#include "forms/forms.h"
#include "forms/win32/handles.h"
#include "forms/win32/resources.h"
#include "forms/win32/window_binding.h"

namespace velmora::forms::win32 {

class Win32Peer;

// What the peer of a control needs of its form's peer: to join and leave
// its members, to give its hint to the form's tooltip, to know whether the
// form is being taken apart, and to report a focus change.  FormPeer
// (form_peer.h) is the one implementation; a control's peer sees no more of
// its form than this.
class FormHost {
public:
    virtual Form& HostForm() = 0;
    virtual HWND HostWindow() = 0;
    // The form is being destroyed: its controls report nothing to the model.
    virtual bool TearingDown() const = 0;
    virtual void Join(Win32Peer* member) = 0;
    virtual void Leave(Win32Peer* member) = 0;
    // A control's hint, once the form has its tooltip.
    virtual void AddTool(HWND tool, const std::string& hint) = 0;
    virtual void RemoveTool(HWND tool) = 0;
    // The model's focus has moved: every member shows it (a button's
    // default frame).
    virtual void FocusMoved() = 0;

protected:
    ~FormHost() = default;
};

inline int Clamp0(int v) { return v < 0 ? 0 : v; }

class Win32Peer : public Peer, public MessageTarget {
public:
    Win32Peer(Resources& resources, Control& control);
    ~Win32Peer() override;

    // Creates the window under `parent` (for forms: the owner window).
    virtual void Create(HWND parent) = 0;

    HWND Hwnd() const { return hwnd_.Get(); }
    Control& GetControl() { return control_; }
    // The form this control belongs to; null for a form's own peer.
    FormHost* Host() const { return host_; }
    // The form's own peer answers for its members; null for the others.
    virtual FormHost* AsHost() { return nullptr; }
    // The form has gone before this peer: nothing to leave any more.
    void HostGone() { host_ = nullptr; }
    bool TakesFocus() const { return control_.TakesFocus(); }
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
    bool Silent() const { return host_ && host_->TearingDown(); }

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
    HFONT ControlFont() { return resources_.FontFor(control_.font); }
    void GainFocus();
    void LoseFocus(HWND newFocus);

    Resources& resources_;
    Control& control_;
    UniqueWindow hwnd_;
    FormHost* host_ = nullptr;
    int echo_ = 0;  // > 0 while the model's change is pushed into the window
};

// The peer of `hwnd` or of its nearest ancestor that has one (inner windows
// such as a combo box's edit or a radio group's buttons belong to the
// control around them); null outside our forms.
Win32Peer* NearestPeer(HWND hwnd);

}  // namespace velmora::forms::win32
