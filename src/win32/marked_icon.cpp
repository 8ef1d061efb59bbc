// SPDX-License-Identifier: MIT
#include "win32/marked_icon.h"

#include "core/tray_mark.h"
#include "win32/resource.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace orvane2::win32 {

namespace {

struct DcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};

// A 32-bit top-down DIB section, side pixels square: 0xAARRGGBB, row after row.
UniqueGdiObject<HBITMAP> Canvas(int side, std::uint32_t*& pixels)
{
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, side, -side, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    UniqueGdiObject<HBITMAP> bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    pixels = static_cast<std::uint32_t*>(bits);
    return bitmap;
}

// The icon drawn side pixels square, as straight (not premultiplied) 0xAARRGGBB; empty
// when the system refuses the bitmaps. An icon without an alpha channel takes its
// transparency from its mask.
std::vector<std::uint32_t> Pixels(HICON icon, int side)
{
    std::uint32_t* colour = nullptr;
    std::uint32_t* mask = nullptr;
    const std::unique_ptr<HDC__, DcDeleter> dc(CreateCompatibleDC(nullptr));
    const auto colourBitmap = Canvas(side, colour);
    const auto maskBitmap = Canvas(side, mask);
    if (!dc || !colourBitmap || !maskBitmap)
        return {};
    const std::size_t count = static_cast<std::size_t>(side) * static_cast<std::size_t>(side);
    const HGDIOBJ old = SelectObject(dc.get(), colourBitmap.get());
    DrawIconEx(dc.get(), 0, 0, icon, side, side, 0, nullptr, DI_NORMAL);
    SelectObject(dc.get(), maskBitmap.get());
    std::fill_n(mask, count, 0xFFFFFFFF);
    DrawIconEx(dc.get(), 0, 0, icon, side, side, 0, nullptr, DI_MASK);
    SelectObject(dc.get(), old);
    GdiFlush();

    std::vector<std::uint32_t> pixels(colour, colour + count);
    const bool alpha = std::any_of(pixels.begin(), pixels.end(), [](std::uint32_t p) { return p >> 24 != 0; });
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t& p = pixels[i];
        const std::uint32_t a = p >> 24;
        // Drawn over black: without alpha the colour as it is, with alpha premultiplied.
        if (!alpha)
            p = (mask[i] & 0xFFFFFF) != 0 ? 0 : p | 0xFF000000;
        else if (a != 0 && a != 255)
            for (int shift = 0; shift < 24; shift += 8)
                p = (p & ~(0xFFu << shift)) | std::min(255u, ((p >> shift) & 0xFF) * 255 / a) << shift;
    }
    return pixels;
}

// The mark's disc over the pixels (side x side), where and in the colours the geometry
// says (0x00RRGGBB, as a DIB holds them): the ring where the disc covers, the mark's
// colour where its core does. Each pixel on an edge is sampled at 4 x 4 points, so the
// edge is smooth.
void DrawMark(std::vector<std::uint32_t>& pixels, int side, const MarkGeometry& mark)
{
    constexpr int kSamples = 4;
    const double outer = mark.outerRadius;
    const double inner = mark.innerRadius;
    // Only the pixels of the square around the disc can be covered.
    const auto from = [](double centre, double radius) { return std::max(0, static_cast<int>(centre - radius)); };
    const auto to = [side](double centre, double radius) {
        return std::min(side, static_cast<int>(std::ceil(centre + radius)));
    };
    for (int y = from(mark.centreY, outer); y < to(mark.centreY, outer); ++y) {
        for (int x = from(mark.centreX, outer); x < to(mark.centreX, outer); ++x) {
            int inOuter = 0;
            int inInner = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double dx = x + (sx + 0.5) / kSamples - mark.centreX;
                    const double dy = y + (sy + 0.5) / kSamples - mark.centreY;
                    const double distance2 = dx * dx + dy * dy;
                    inOuter += distance2 <= outer * outer ? 1 : 0;
                    inInner += distance2 <= inner * inner ? 1 : 0;
                }
            }
            if (inOuter == 0)
                continue;
            const double disc = inOuter / double(kSamples * kSamples);
            const double core = inInner / double(kSamples * kSamples);
            std::uint32_t& p = pixels[static_cast<std::size_t>(y * side + x)];
            const double below = (p >> 24) / 255.0 * (1 - disc);
            const double alpha = below + disc;
            std::uint32_t mixed = static_cast<std::uint32_t>(alpha * 255 + 0.5) << 24;
            for (int shift = 0; shift < 24; shift += 8) {
                const auto channel = [shift](std::uint32_t c) { return ((c >> shift) & 0xFF) / 255.0; };
                const double value =
                    channel(p) * below + channel(mark.ringRgb) * (disc - core) + channel(mark.markRgb) * core;
                mixed |= static_cast<std::uint32_t>(value / alpha * 255 + 0.5) << shift;
            }
            p = mixed;
        }
    }
}

// An icon of the pixels (straight 0xAARRGGBB); its mask marks the transparent ones for
// whatever draws it without its alpha channel.
UniqueIcon IconOf(const std::vector<std::uint32_t>& pixels, int side)
{
    std::uint32_t* colour = nullptr;
    const auto colourBitmap = Canvas(side, colour);
    if (!colourBitmap)
        return nullptr;
    const int stride = (side + 15) / 16 * 2;  // a monochrome bitmap's rows fill whole 16-bit words
    std::vector<BYTE> maskBits(static_cast<std::size_t>(stride * side));
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const std::uint32_t p = pixels[static_cast<std::size_t>(y * side + x)];
            colour[y * side + x] = p >> 24 != 0 ? p : 0;
            if (p >> 24 == 0)
                maskBits[static_cast<std::size_t>(y * stride + x / 8)] |= static_cast<BYTE>(0x80 >> (x % 8));
        }
    }
    const UniqueGdiObject<HBITMAP> mask(CreateBitmap(side, side, 1, 1, maskBits.data()));
    ICONINFO info{TRUE, 0, 0, mask.get(), colourBitmap.get()};
    return UniqueIcon(mask ? CreateIconIndirect(&info) : nullptr);  // copies both bitmaps
}

}  // namespace

UniqueIcon MarkedIcon(HINSTANCE instance, int side, TrayMark mark)
{
    UniqueIcon icon(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_RADAR), IMAGE_ICON, side, side, 0)));
    const std::optional<MarkGeometry> geometry = MarkFor(mark, side);
    if (!icon || !geometry)
        return icon;
    std::vector<std::uint32_t> pixels = Pixels(icon.get(), side);
    if (pixels.empty())
        return icon;  // the icon without its mark is better than none
    DrawMark(pixels, side, *geometry);
    UniqueIcon marked = IconOf(pixels, side);
    return marked ? std::move(marked) : std::move(icon);
}

}  // namespace orvane2::win32
