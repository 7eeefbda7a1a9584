#include "app/win32/WindowPicture.h"

#include <cstdint>
#include <exception>
#include <fstream>
#include <stdexcept>

#include "base/Utf8Path.h"
#include "qr/PngFile.h"

namespace app::win32 {
namespace {

// A 24-bit bitmap that is selected into a memory DC for as long as it lives.
class Canvas {
public:
    Canvas(HDC like, int width, int height) : dc_(CreateCompatibleDC(like)) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top row first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        bitmap_ = CreateDIBSection(like, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        if (dc_ != nullptr && bitmap_ != nullptr) {
            previous_ = SelectObject(dc_, bitmap_);
        }
    }
    ~Canvas() {
        if (previous_ != nullptr) {
            SelectObject(dc_, previous_);
        }
        if (bitmap_ != nullptr) {
            DeleteObject(bitmap_);
        }
        if (dc_ != nullptr) {
            DeleteDC(dc_);
        }
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    bool Ready() const { return previous_ != nullptr && bits_ != nullptr; }
    HDC Dc() const { return dc_; }
    const std::uint8_t* Bits() const { return static_cast<const std::uint8_t*>(bits_); }

private:
    HDC dc_;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    void* bits_ = nullptr;
};

}  // namespace

std::string ClientAreaPng(HWND window) {
    RECT client{};
    if (GetClientRect(window, &client) == FALSE || client.right <= 0 || client.bottom <= 0) {
        throw std::runtime_error("the window has no client area");
    }
    const int width = client.right;
    const int height = client.bottom;
    HDC screen = GetDC(window);
    if (screen == nullptr) {
        throw std::runtime_error("the window gives no device context");
    }
    std::string scanlines;
    {
        const Canvas canvas(screen, width, height);
        const bool copied =
            canvas.Ready() && BitBlt(canvas.Dc(), 0, 0, width, height, screen, 0, 0, SRCCOPY) != FALSE;
        GdiFlush();
        ReleaseDC(window, screen);
        if (!copied) {
            throw std::runtime_error("the window's picture cannot be copied");
        }
        // Bitmap rows are blue, green, red, padded to four bytes; PNG rows start with their filter.
        const auto stride = static_cast<std::size_t>((width * 3 + 3) & ~3);
        scanlines.reserve((1 + static_cast<std::size_t>(width) * 3) * height);
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* row = canvas.Bits() + stride * y;
            scanlines.push_back('\0');
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* pixel = row + 3 * x;
                scanlines.append(
                    {static_cast<char>(pixel[2]), static_cast<char>(pixel[1]), static_cast<char>(pixel[0])});
            }
        }
    }
    return qr::EncodePng(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height),
                         qr::PngPixels::kRgb8, scanlines);
}

bool SaveClientArea(HWND window, const std::string& path) {
    try {
        const std::string png = ClientAreaPng(window);
        std::ofstream file(base::Utf8Path(path), std::ios::binary | std::ios::trunc);
        file.write(png.data(), static_cast<std::streamsize>(png.size()));
        file.close();
        return !file.fail();
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace app::win32
