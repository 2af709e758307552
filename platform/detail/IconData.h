// IconData: what an HICON and an image list hold, and the checks of .ico and icon image data.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/WinTypes.h"

// One image of an icon: its size and its raw data (a BITMAPINFOHEADER-based DIB with AND mask, or a PNG).
struct HICON__ {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    std::vector<BYTE> image;
};

struct IMAGELIST {
    int cx = 0;
    int cy = 0;
    UINT flags = 0;
    int grow = 1;
    COLORREF bkColor = 0xFFFFFFFFu;
    std::vector<HICON__> images;
};

namespace pelrudo::detail {

// One image of a .ico file's directory, pointing into the file's bytes.
struct IcoEntry {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    const BYTE* data = nullptr;
    std::size_t size = 0;
};

// The size and depth of an icon image, checked so that decoding stays inside its data: a DIB's header,
// palette, colour bits and AND mask must all fit; a PNG must carry its signature and header chunk.
bool CheckIconImage(const BYTE* data, std::size_t size, int* width, int* height, int* bitCount);
bool IsPngImage(const BYTE* data, std::size_t size);
// Every entry of a .ico file, each checked with CheckIconImage; false when anything is out of bounds.
bool ParseIcoFile(const BYTE* data, std::size_t size, std::vector<IcoEntry>* entries);
// The index of the entry closest in size to cx x cy (deeper colour on a tie); -1 when empty.
int ChooseIconEntry(const std::vector<IcoEntry>& entries, int cx, int cy);
// Handles made by the layer; destroyed or unknown ones are refused.
HICON NewIcon(HICON__ data);
bool IsLiveIcon(HICON hIcon);
bool IsLiveImageList(HIMAGELIST himl);

}  // namespace pelrudo::detail
