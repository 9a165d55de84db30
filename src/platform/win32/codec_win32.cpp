#include "platform/codec.h"

#include "platform/win32/wide.h"

namespace velmora {

std::string Utf8ToCp932(const std::string& utf8) { return WideToCp932(Utf8ToWide(utf8)); }

std::string Cp932ToUtf8(const std::string& cp932) { return WideToUtf8(Cp932ToWide(cp932)); }

}  // namespace velmora
