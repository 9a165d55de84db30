// The native mirrors of the model's controls, one class for each kind of
// control but the form (internal to the backend).
#pragma once

#include <memory>

#include "forms/forms.h"
#include "forms/win32/peer.h"
#include "forms/win32/resources.h"

namespace velmora::forms::win32 {

// The peer of a control that is not a form, its window not made yet.
std::unique_ptr<Win32Peer> MakeControlPeer(Resources& resources, Control& control);

}  // namespace velmora::forms::win32
