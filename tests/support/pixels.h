// Reading back what a window painted: its client area copied into a 32-bit DIB.
//
//   ClientPixels shot(window);
//   EXPECT_EQ(shot.At(0, 0), RGB(0, 0, 255));
//   InkBox white = shot.Find(0, 0, shot.width(), 40,
//                            [](COLORREF c, int, int) { return GetRValue(c) >= 128; });
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

// Smallest rectangle holding every matching pixel; empty() when none matched.
struct InkBox {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
    bool found = false;
    bool empty() const { return !found; }
    void Add(int x, int y)
    {
        if (!found) {
            left = x, top = y, right = x + 1, bottom = y + 1;
            found = true;
            return;
        }
        if (x < left) left = x;
        if (y < top) top = y;
        if (x + 1 > right) right = x + 1;
        if (y + 1 > bottom) bottom = y + 1;
    }
};

class ClientPixels {
public:
    // The client area of window (or the whole of a memory DC's bitmap, through the second form).
    explicit ClientPixels(HWND window)
    {
        RECT client;
        GetClientRect(window, &client);
        HDC source = GetDC(window);
        Copy(source, client.right, client.bottom);
        ReleaseDC(window, source);
    }
    ClientPixels(HDC source, int width, int height) { Copy(source, width, height); }

    int width() const { return width_; }
    int height() const { return height_; }

    // As a COLORREF (0x00BBGGRR), so it compares with RGB().
    COLORREF At(int x, int y) const
    {
        std::uint32_t bgrx = bits_[static_cast<size_t>(y) * width_ + x];
        return RGB((bgrx >> 16) & 0xFF, (bgrx >> 8) & 0xFF, bgrx & 0xFF);
    }

    template <typename Match>
    InkBox Find(int left, int top, int right, int bottom, Match match) const
    {
        InkBox box;
        for (int y = top < 0 ? 0 : top; y < bottom && y < height_; ++y)
            for (int x = left < 0 ? 0 : left; x < right && x < width_; ++x)
                if (match(At(x, y), x, y))
                    box.Add(x, y);
        return box;
    }

private:
    void Copy(HDC source, int width, int height)
    {
        width_ = width;
        height_ = height;
        bits_.assign(static_cast<size_t>(width) * height, 0);
        if (width <= 0 || height <= 0)
            return;
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HDC memory = CreateCompatibleDC(source);
        HBITMAP section = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(memory, section);
        BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
        GdiFlush();
        const std::uint32_t* pixels = static_cast<const std::uint32_t*>(bits);
        bits_.assign(pixels, pixels + static_cast<size_t>(width) * height);
        SelectObject(memory, old);
        DeleteObject(section);
        DeleteDC(memory);
    }

    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> bits_;
};

// A 32-bit top-down memory bitmap to paint into directly, filled with one colour.
class MemoryCanvas {
public:
    MemoryCanvas(int width, int height, COLORREF fill) : width_(width), height_(height)
    {
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        RECT all = {0, 0, width, height};
        HBRUSH brush = CreateSolidBrush(fill);
        FillRect(dc_, &all, brush);
        DeleteObject(brush);
    }
    ~MemoryCanvas()
    {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;

    HDC dc() const { return dc_; }
    ClientPixels Read() const { return ClientPixels(dc_, width_, height_); }

private:
    int width_;
    int height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};
