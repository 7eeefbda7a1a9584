// SVG drawing of a QR code: each horizontal run of dark modules becomes one rectangle of a single
// path, which keeps the file small and leaves no hairline gaps between neighbouring modules.

#include <stdexcept>
#include <string>

#include "qr/QrImage.h"

namespace qr {

std::string RenderSvg(const QrCode& code, int scale) {
    if (scale < kMinScale || scale > kMaxScale) {
        throw std::invalid_argument("SVG scale " + std::to_string(scale) + " is outside " +
                                    std::to_string(kMinScale) + " to " + std::to_string(kMaxScale) + ".");
    }
    const std::string modules = std::to_string(code.size() + 2 * kQuietZoneModules);
    const std::string pixels = std::to_string((code.size() + 2 * kQuietZoneModules) * scale);

    std::string path;
    for (int y = 0; y < code.size(); ++y) {
        for (int x = 0; x < code.size();) {
            if (!code.IsDark(x, y)) {
                ++x;
                continue;
            }
            const int start = x;
            while (code.IsDark(x, y)) {
                ++x;
            }
            const std::string run = std::to_string(x - start);
            path.append("M").append(std::to_string(start + kQuietZoneModules)).append(" ");
            path.append(std::to_string(y + kQuietZoneModules)).append("h").append(run);
            path.append("v1h-").append(run).append("z");
        }
    }

    std::string svg = R"(<?xml version="1.0" encoding="UTF-8"?>)"
                      "\n";
    svg += R"(<svg xmlns="http://www.w3.org/2000/svg" version="1.1" width=")" + pixels + R"(" height=")" +
           pixels + R"(" viewBox="0 0 )" + modules + " " + modules + R"(" shape-rendering="crispEdges">)" +
           "\n";
    svg += R"(<rect width=")" + modules + R"(" height=")" + modules + R"(" fill="#fff"/>)" + "\n";
    svg += R"(<path fill="#000" d=")" + path + R"("/>)" + "\n";
    svg += "</svg>\n";
    return svg;
}

}  // namespace qr
