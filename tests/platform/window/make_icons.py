# Writes the .ico fixtures of the window layer's tests: small coloured squares in each image form.
import struct, zlib

def dib(size, bits, pixel):
    """BMP-in-ICO image: header, palette, colour rows bottom-up, AND mask (all opaque)."""
    palette = b''
    if bits <= 8:
        colours = [(0, 0, 0), (0, 0, 255), (0, 255, 0), (255, 0, 0)] + [(0, 0, 0)] * ((1 << bits) - 4)
        palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in colours[:1 << bits])
    stride = ((size * bits + 31) // 32) * 4
    rows = b''
    for y in range(size):
        row = bytearray()
        if bits == 32:
            for x in range(size):
                r, g, b, a = pixel(x, size - 1 - y)
                row += bytes((b, g, r, a))
        elif bits == 24:
            for x in range(size):
                r, g, b, _ = pixel(x, size - 1 - y)
                row += bytes((b, g, r))
        elif bits == 8:
            row += bytes(3 for _ in range(size))  # palette index 3: red
        elif bits == 4:
            row += bytes(0x22 for _ in range(size // 2))  # index 2: green
        row += b'\0' * (stride - len(row))
        rows += bytes(row)
    mask_stride = ((size + 31) // 32) * 4
    mask = b'\0' * mask_stride * size
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bits, 0, 0, 0, 0, 0, 0)
    return header + palette + rows + mask

def png(size, rgba):
    raw = b''.join(b'\0' + bytes(rgba) * size for _ in range(size))
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))

def ico(images):
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    data = b''
    for size, bits, blob in images:
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, bits, len(blob), offset + len(data))
        data += blob
    return out + data

blue = lambda x, y: (0, 0, 255, 255)
half = lambda x, y: (255, 255, 0, 255 if x < 8 else 0)
open('two_sizes.ico', 'wb').write(ico([(32, 32, dib(32, 32, blue)), (16, 24, dib(16, 24, blue))]))
open('forms.ico', 'wb').write(ico([(16, 4, dib(16, 4, None)), (20, 8, dib(20, 8, None)),
                                   (24, 32, dib(24, 32, half)), (48, 32, png(48, (0, 128, 0, 255)))]))
full = open('two_sizes.ico', 'rb').read()
open('truncated.ico', 'wb').write(full[:len(full) - 10])
