#include "forms/win32/handles.h"

namespace velmora::forms::win32 {

LiveHandleCounts& LiveHandles() {
    static LiveHandleCounts counts;
    return counts;
}

}  // namespace velmora::forms::win32
