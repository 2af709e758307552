// IconImage: decoding an icon's DIB or PNG data into a Qt image.
#include "platform/ui/detail/IconImage.h"

namespace pelrudo::ui {
namespace {

DWORD Dword(const BYTE* p) { return p[0] | (p[1] << 8) | (DWORD{p[2]} << 16) | (DWORD{p[3]} << 24); }

QRgb PaletteColour(const BYTE* palette, std::size_t colours, std::size_t index)
{
    if (index >= colours) return qRgb(0, 0, 0);
    const BYTE* entry = palette + index * 4;
    return qRgb(entry[2], entry[1], entry[0]);
}

QImage DecodeDib(const HICON__& icon)
{
    int bits = 0, width = 0, height = 0;
    const BYTE* data = icon.image.data();
    if (!pelrudo::detail::CheckIconImage(data, icon.image.size(), &width, &height, &bits)) return {};
    DWORD headerSize = Dword(data);
    DWORD used = Dword(data + 32);
    std::size_t colours = bits <= 8 ? (used ? used : (1u << bits)) : 0;
    const BYTE* palette = data + headerSize;
    const BYTE* pixels = palette + colours * 4;
    std::size_t stride = ((static_cast<std::size_t>(width) * static_cast<std::size_t>(bits) + 31) / 32) * 4;
    const BYTE* mask = pixels + stride * static_cast<std::size_t>(height);
    std::size_t maskStride = ((static_cast<std::size_t>(width) + 31) / 32) * 4;
    // 32-bit images carry their own alpha; unless it is all zero, the AND mask is not used.
    bool ownAlpha = false;
    if (bits == 32)
        for (int y = 0; y < height && !ownAlpha; ++y)
            for (int x = 0; x < width && !ownAlpha; ++x) ownAlpha = pixels[stride * static_cast<std::size_t>(y) + static_cast<std::size_t>(x) * 4 + 3] != 0;

    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        // Rows are stored bottom-up.
        const BYTE* row = pixels + stride * static_cast<std::size_t>(height - 1 - y);
        const BYTE* maskRow = mask + maskStride * static_cast<std::size_t>(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            auto ux = static_cast<std::size_t>(x);
            QRgb colour = 0;
            switch (bits) {
            case 1: colour = PaletteColour(palette, colours, (row[ux / 8] >> (7 - ux % 8)) & 1); break;
            case 4: colour = PaletteColour(palette, colours, (row[ux / 2] >> (ux % 2 ? 0 : 4)) & 0xF); break;
            case 8: colour = PaletteColour(palette, colours, row[ux]); break;
            case 24: colour = qRgb(row[ux * 3 + 2], row[ux * 3 + 1], row[ux * 3]); break;
            default: colour = qRgba(row[ux * 4 + 2], row[ux * 4 + 1], row[ux * 4], row[ux * 4 + 3]); break;
            }
            bool transparent = (maskRow[ux / 8] >> (7 - ux % 8)) & 1;
            if (!ownAlpha) colour = transparent ? qRgba(0, 0, 0, 0) : (colour | 0xFF000000u);
            image.setPixel(x, y, colour);
        }
    }
    return image;
}

}  // namespace

QImage IconImage(const HICON__& icon)
{
    if (pelrudo::detail::IsPngImage(icon.image.data(), icon.image.size()))
        return QImage::fromData(icon.image.data(), static_cast<int>(icon.image.size()), "PNG")
            .convertToFormat(QImage::Format_ARGB32);
    return DecodeDib(icon);
}

}  // namespace pelrudo::ui
