// The native mirror of a form (internal to the backend): its top-level
// window, its members (the peers of its controls), its tooltip, and its
// keys, which the model sees before Windows does.
#pragma once

#include "platform/win32/win32.h"

#include <string>
#include <vector>

#include "forms/forms.h"
#include "forms/win32/handles.h"
#include "forms/win32/peer.h"
#include "forms/win32/resources.h"

namespace velmora::forms::win32 {

class FormPeer : public Win32Peer, public FormHost {
public:
    FormPeer(Resources& resources, Form& form);
    ~FormPeer() override;

    // The form a peer belongs to: a form's own peer, or its control's form;
    // null for a control outside any form.
    static FormPeer* Of(Win32Peer& peer);

    // Win32Peer
    void Create(HWND owner) override;
    void BoundsChanged() override;
    void VisibleChanged() override;
    void BringToFront() override;
    void FocusRequested() override {}
    FormHost* AsHost() override { return this; }

    // FormHost
    Form& HostForm() override { return form_; }
    HWND HostWindow() override { return Hwnd(); }
    bool TearingDown() const override { return tearingDown_; }
    void Join(Win32Peer* member) override;
    void Leave(Win32Peer* member) override;
    // The tooltip is made when the mouse first moves over the form, and
    // every member then gives its hints (GiveHints): a form used from the
    // keyboard alone has none.
    void AddTool(HWND tool, const std::string& hint) override;
    void RemoveTool(HWND tool) override;
    void FocusMoved() override;

    // The model's focused control when it is still one of ours.
    Win32Peer* FocusedMember();
    Win32Peer* MemberOf(const Control* c);
    // Shows or hides the window (the backend's ShowForm).
    void ShowNow(bool visible);
    void SetRestoreActive(HWND h) { restoreActive_ = h; }
    // Presses the showing, enabled button or check box whose caption has
    // `key` as its access key; false when there is none.
    bool PressAccessKey(char key);
    // A mouse message of one of the form's windows, shown to its tooltip.
    void RelayToTooltip(const MSG& msg);
    // A key message for `from`, one of the form's windows, before it is
    // translated and dispatched: the model's control hears it first (Enter,
    // Escape and Tab as a dialog does them, a handler's key events, access
    // keys).  True when the message must go no further.
    bool PreTranslate(MSG& msg, Win32Peer& from);

protected:
    bool BeforeModel(HWND, UINT, WPARAM, LPARAM, LRESULT&) override;
    bool OnMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&) override;

private:
    void NoteOuterBounds();
    void Center();
    bool MakeTooltip();
    void LowerOwner(HWND owner);
    void RestoreOwner();

    Form& form_;
    std::vector<Win32Peer*> members_;
    UniqueWindow tooltip_;
    HWND restoreActive_ = nullptr;
    HWND loweredOwner_ = nullptr;  // taken out of the on-top layer for the form (LowerOwner)
    bool tearingDown_ = false;
    bool sizing_ = false;
    bool framePending_ = false;  // shown, its frame not painted yet
    HICON icons_[2] = {};        // the form's icons (its class's), big and small
};

}  // namespace velmora::forms::win32
