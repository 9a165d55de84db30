#include "hkmainf/io_error.h"

#include "platform/error_report.h"

namespace velmora {

std::string IoErrorText(std::uint32_t code) {
    std::string text;
    switch (code) {
        case 2: text = "ﾌｧｲﾙが見つかりません"; break;
        case 3: text = "不正なﾌｧｲﾙ名です"; break;
        case 4: text = "ｵｰﾌﾟﾝしたﾌｧｲﾙが多すぎます"; break;
        case 5: text = "ﾌｧｲﾙへのｱｸｾｽが拒否されました"; break;
        case 100: text = "ﾌｧｲﾙの末尾以降を読み込みました"; break;
        case 39:   // ERROR_HANDLE_DISK_FULL
        case 112:  // ERROR_DISK_FULL
        case 101: text = "ﾃﾞｨｽｸがいっぱいです"; break;
        case 106: text = "入力値が数値ではありません"; break;
        default:
            // Shown as a signed number, the way the error report has always
            // printed it; built by concatenation, never through a format.
            text = "I/O ｴﾗｰ (" + std::to_string(static_cast<std::int32_t>(code)) + ")";
            break;
    }
    return ErrorReportText(text);
}

}  // namespace velmora
