// Draws the setup program's icon and writes it as a .ico file: one 32 x 32 image with the
// 16-colour palette (4 bits per pixel), a rounded square in the background window's blues
// with a white "V" and its shadow. Run by the build: icongen OUTPUT.ico
#include <math.h>
#include <stdint.h>
#include <stdio.h>

#include <vector>

namespace {

const int size = 32;

// The classic 16-colour palette, as the icon's colour table stores it: blue, green, red, 0.
const uint8_t palette[16][4] = {
    {0x00, 0x00, 0x00, 0}, {0x00, 0x00, 0x80, 0}, {0x00, 0x80, 0x00, 0}, {0x00, 0x80, 0x80, 0},
    {0x80, 0x00, 0x00, 0}, {0x80, 0x00, 0x80, 0}, {0x80, 0x80, 0x00, 0}, {0xC0, 0xC0, 0xC0, 0},
    {0x80, 0x80, 0x80, 0}, {0x00, 0x00, 0xFF, 0}, {0x00, 0xFF, 0x00, 0}, {0x00, 0xFF, 0xFF, 0},
    {0xFF, 0x00, 0x00, 0}, {0xFF, 0x00, 0xFF, 0}, {0xFF, 0xFF, 0x00, 0}, {0xFF, 0xFF, 0xFF, 0},
};
enum { BLACK = 0, NAVY = 4, GREY = 8, BLUE = 12, WHITE = 15 };

// Distance from point p to the segment a-b.
double segmentDistance(double px, double py, double ax, double ay, double bx, double by)
{
    double dx = bx - ax, dy = by - ay;
    double t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy);
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    double ex = ax + t * dx - px, ey = ay + t * dy - py;
    return sqrt(ex * ex + ey * ey);
}

bool onLetter(double x, double y)
{
    return segmentDistance(x, y, 9, 7, 16, 25) < 2.3 || segmentDistance(x, y, 23, 7, 16, 25) < 2.3;
}

// Inside the square of side 30 at (1, 1) with corners rounded to radius 5.
bool insideSquare(int x, int y)
{
    double cx = x + 0.5, cy = y + 0.5;
    double nearX = cx < 6 ? 6 : cx > 26 ? 26 : cx;
    double nearY = cy < 6 ? 6 : cy > 26 ? 26 : cy;
    if (cx < 1 || cy < 1 || cx > 31 || cy > 31)
        return false;
    return (cx - nearX) * (cx - nearX) + (cy - nearY) * (cy - nearY) <= 25.0;
}

// Pixel colour index and whether it is transparent, top row first.
int pixelColour(int x, int y, bool *transparent)
{
    *transparent = !insideSquare(x, y);
    if (*transparent)
        return BLACK;
    bool edge = !insideSquare(x - 1, y) || !insideSquare(x + 1, y) || !insideSquare(x, y - 1) ||
                !insideSquare(x, y + 1);
    if (edge)
        return BLACK;
    double cx = x + 0.5, cy = y + 0.5;
    if (onLetter(cx, cy))
        return WHITE;
    if (onLetter(cx - 1.5, cy - 1.5))
        return GREY;
    // Navy above, blue below, meeting in a checkered row like a two-step gradient.
    if (y < 15 || (y == 15 && (x & 1) == 0))
        return NAVY;
    return BLUE;
}

void put16(std::vector<uint8_t> &out, unsigned value)
{
    out.push_back(value & 0xFF);
    out.push_back((value >> 8) & 0xFF);
}

void put32(std::vector<uint8_t> &out, unsigned value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: icongen OUTPUT.ico\n");
        return 2;
    }
    const unsigned colourBytes = size * size / 2;  // 4 bits per pixel, rows of 16 bytes
    const unsigned maskBytes = size * 4;           // 1 bit per pixel, rows of 4 bytes
    const unsigned imageBytes = 40 + sizeof palette + colourBytes + maskBytes;

    std::vector<uint8_t> out;
    // Icon directory: reserved, type 1 (icon), one image.
    put16(out, 0);
    put16(out, 1);
    put16(out, 1);
    // Its entry: 32 x 32, 16 colours, 1 plane, 4 bits, size, offset of the image.
    out.push_back(size);
    out.push_back(size);
    out.push_back(16);
    out.push_back(0);
    put16(out, 1);
    put16(out, 4);
    put32(out, imageBytes);
    put32(out, 6 + 16);
    // The image: a bitmap header of double height (colours, then the mask), the palette,
    // the colour rows and the transparency mask, both bottom row first.
    put32(out, 40);
    put32(out, size);
    put32(out, 2 * size);
    put16(out, 1);
    put16(out, 4);
    put32(out, 0);
    put32(out, colourBytes + maskBytes);
    put32(out, 0);
    put32(out, 0);
    put32(out, 16);
    put32(out, 0);
    for (const auto &entry : palette)
        out.insert(out.end(), entry, entry + 4);
    std::vector<uint8_t> mask;
    for (int y = size - 1; y >= 0; y--) {
        uint32_t maskRow = 0;
        for (int x = 0; x < size; x += 2) {
            bool clearLeft, clearRight;
            int left = pixelColour(x, y, &clearLeft);
            int right = pixelColour(x + 1, y, &clearRight);
            out.push_back((uint8_t)(left << 4 | right));
            if (clearLeft)
                maskRow |= 0x80000000u >> x;
            if (clearRight)
                maskRow |= 0x80000000u >> (x + 1);
        }
        for (int shift = 24; shift >= 0; shift -= 8)
            mask.push_back((maskRow >> shift) & 0xFF);
    }
    out.insert(out.end(), mask.begin(), mask.end());

    FILE *file = fopen(argv[1], "wb");
    if (file == NULL) {
        perror(argv[1]);
        return 1;
    }
    bool written = fwrite(out.data(), 1, out.size(), file) == out.size();
    if (fclose(file) != 0 || !written) {
        fprintf(stderr, "icongen: cannot write %s\n", argv[1]);
        remove(argv[1]);
        return 1;
    }
    return 0;
}
