#pragma once

// Whether this build makes QR codes: a build without libqrencode (the one for Windows made with
// MinGW-w64 on Debian, which has no libqrencode for that target) has no `qr` and no `batch --qr-dir`.

namespace app {

inline constexpr bool kQrBuilt = DTUSMS_QR_BUILT;

// What such a build says, after "dtusms: ", when QR codes are asked for; the command then ends with
// exit status 1 and writes nothing.
inline constexpr const char* kNoQrMessage =
    "this build of dtusms makes no QR codes (it was built without libqrencode); the SMS itself is "
    "printed by dtusms sms";

}  // namespace app
