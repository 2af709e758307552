# Draws Pelrudo's two icons (128: a handheld with a backup arrow, 130: a package) at 32 and 16 pixels, and a PNG.
import struct, zlib

def bmp_image(size, pixel):
    """32-bit BMP image of an icon: header, colour rows bottom-up, then the AND mask (alpha decides)."""
    rows = b''
    for y in range(size - 1, -1, -1):
        for x in range(size):
            r, g, b, a = pixel(x / size, y / size)
            rows += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = b''
    for y in range(size - 1, -1, -1):
        row = bytearray(mask_stride)
        for x in range(size):
            if pixel(x / size, y / size)[3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(row)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + rows + mask

def ico(pixel, sizes=(32, 16)):
    images = [bmp_image(s, pixel) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b''.join(images)

def png(size, pixel):
    """The same drawing as a PNG, for the desktop entry."""
    raw = b''.join(b'\0' + b''.join(bytes(pixel(x / size, y / size)) for x in range(size)) for y in range(size))
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))

CLEAR = (0, 0, 0, 0)

def handheld(u, v):
    # A dark handheld with a light screen, and a green arrow pointing down into it.
    if 0.62 <= u <= 0.97 and 0.05 <= v <= 0.45:
        au, av = u - 0.795, v - 0.05
        if abs(au) <= 0.06 and av <= 0.24 or av > 0.22 and abs(au) <= 0.17 - (av - 0.22) * 1.0:
            return (40, 170, 60, 255)
    if 0.12 <= u <= 0.66 and 0.12 <= v <= 0.95:
        if 0.19 <= u <= 0.59 and 0.2 <= v <= 0.7:
            return (200, 225, 250, 255)
        if 0.33 <= u <= 0.45 and 0.78 <= v <= 0.88:
            return (150, 150, 160, 255)
        return (50, 60, 80, 255)
    return CLEAR

def package(u, v):
    # A brown box with a lighter lid and a tape stripe.
    if 0.12 <= u <= 0.88 and 0.22 <= v <= 0.9:
        if v <= 0.38:
            return (210, 160, 90, 255)
        if 0.45 <= u <= 0.55:
            return (235, 220, 180, 255)
        return (170, 120, 60, 255)
    return CLEAR

with open('pelrudo.ico', 'wb') as f:
    f.write(ico(handheld))
with open('pelrudo.png', 'wb') as f:
    f.write(png(32, handheld))
with open('package.ico', 'wb') as f:
    f.write(ico(package))
