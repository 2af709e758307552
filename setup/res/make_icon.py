# Draws Setup's icon 128 (an open box with an arrow going in) as setup.ico, at 32 and 16 pixels.
import struct

def image(size, pixel):
    """One 32-bit BMP image of a .ico: header, colour rows bottom-up, then the AND mask."""
    colours, mask = b'', b''
    stride = ((size + 31) // 32) * 4
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            r, g, b, a = pixel((x + 0.5) / size, (y + 0.5) / size)
            colours += bytes((b, g, r, a))
            if a == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(row)
    return struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0) + colours + mask

def box(u, v):
    # The arrow, orange, pointing down into the box's mouth.
    if abs(u - 0.5) <= 0.09 and 0.04 <= v <= 0.34 or 0.34 < v <= 0.52 and abs(u - 0.5) <= 0.52 - v:
        return (235, 130, 30, 255)
    # The box, brown with a darker outline, its flaps open.
    if 0.12 <= u <= 0.88 and 0.5 <= v <= 0.94:
        edge = u < 0.18 or u > 0.82 or v > 0.88 or v < 0.56
        return (120, 75, 35, 255) if edge else (200, 150, 90, 255)
    if 0.4 <= v < 0.5 and (0.04 <= u <= 0.3 or 0.7 <= u <= 0.96):
        return (170, 120, 65, 255)
    return (0, 0, 0, 0)

sizes = (32, 16)
images = [image(s, box) for s in sizes]
out = struct.pack('<HHH', 0, 1, len(images))
offset = 6 + 16 * len(images)
for s, data in zip(sizes, images):
    out += struct.pack('<BBBBHHII', s, s, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
with open('setup.ico', 'wb') as f:
    f.write(out + b''.join(images))
