#include "base/Utf8Lead.h"

namespace base {

Utf8Lead ReadUtf8Lead(unsigned char lead) {
    Utf8Lead read;
    if (lead >= 0xC2 && lead <= 0xDF) {
        read.trailing = 1;
        read.bits = lead & 0x1FU;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        read.trailing = 2;
        read.bits = lead & 0x0FU;
        read.low = lead == 0xE0 ? 0xA0 : 0x80;
        read.high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        read.trailing = 3;
        read.bits = lead & 0x07U;
        read.low = lead == 0xF0 ? 0x90 : 0x80;
        read.high = lead == 0xF4 ? 0x8F : 0xBF;
    }
    return read;
}

}  // namespace base
