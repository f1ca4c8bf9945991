// Reading back what a window painted: its client area copied into a 32-bit DIB.
#pragma once
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

// {left, top, right, bottom} around every matching pixel, right and bottom exclusive; right 0 if none.
using InkBox = std::array<int, 4>;

class ClientPixels {
public:
    explicit ClientPixels(HWND window)
    {
        RECT client = {};
        GetClientRect(window, &client);
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof info.bmiHeader, client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HDC source = GetDC(window), memory = CreateCompatibleDC(source);
        HGDIOBJ old = SelectObject(memory, CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        BitBlt(memory, 0, 0, client.right, client.bottom, source, 0, 0, SRCCOPY);
        GdiFlush();
        width = bits != nullptr ? client.right : 0;
        height = bits != nullptr ? client.bottom : 0;
        bits_.assign(static_cast<std::uint32_t*>(bits), static_cast<std::uint32_t*>(bits) + width * height);
        DeleteObject(SelectObject(memory, old));
        DeleteDC(memory);
        ReleaseDC(window, source);
    }

    int width = 0, height = 0;
    COLORREF At(int x, int y) const  // comparable with RGB()
    {
        std::uint32_t bgrx = bits_[static_cast<size_t>(y) * width + x];
        return RGB((bgrx >> 16) & 0xFF, (bgrx >> 8) & 0xFF, bgrx & 0xFF);
    }
    template <typename Match>  // match(colour, x, y)
    InkBox Find(int left, int top, int right, int bottom, Match match) const
    {
        InkBox box = {width, height, 0, 0};
        for (int y = std::max(top, 0); y < std::min(bottom, height); ++y)
            for (int x = std::max(left, 0); x < std::min(right, width); ++x)
                if (match(At(x, y), x, y))
                    box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x + 1), std::max(box[3], y + 1)};
        return box;
    }

private:
    std::vector<std::uint32_t> bits_;
};
