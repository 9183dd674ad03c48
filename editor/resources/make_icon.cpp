// Draws the program's icon, a note page sealed with a padlock, and writes it as one .ico file
// with 32x32 and 16x16 images at 4, 8 and 32 bits per pixel. A host tool, run by make-icon.sh;
// the .ico it writes is committed.
//
//   make_icon OUTPUT.ico

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Rgba {
  std::uint8_t r = 0, g = 0, b = 0, a = 0;
};

using Shape = std::function<bool(double x, double y)>;

// A colour, and the colour of the 16-colour palette (by index) that stands for it.
struct Paint {
  Rgba colour;
  std::uint8_t basic;
};

struct Layer {
  Shape shape;
  Paint paint;
};

struct Point {
  double x, y;
};

Shape Polygon(std::vector<Point> points) {
  return [points = std::move(points)](double x, double y) {
    bool inside = false;
    for (std::size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
      const Point& a = points[i];
      const Point& b = points[j];
      if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) {
        inside = !inside;
      }
    }
    return inside;
  };
}

Shape Rect(double left, double top, double right, double bottom) {
  return [=](double x, double y) { return x >= left && x < right && y >= top && y < bottom; };
}

Shape Disc(double cx, double cy, double radius) {
  return [=](double x, double y) {
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
  };
}

// The upper half of a ring, with straight legs down to `legEnd`.
Shape Shackle(double cx, double cy, double outer, double inner, double legEnd) {
  return [=](double x, double y) {
    const double dx = x - cx;
    if (y > legEnd) {
      return false;
    }
    if (y >= cy) {
      return std::abs(dx) <= outer && std::abs(dx) >= inner;
    }
    const double d2 = dx * dx + (y - cy) * (y - cy);
    return d2 <= outer * outer && d2 >= inner * inner;
  };
}

constexpr Paint kOutline{{48, 52, 64, 255}, 0};
constexpr Paint kPage{{255, 255, 255, 255}, 15};
constexpr Paint kFold{{200, 206, 216, 255}, 7};
constexpr Paint kInk{{58, 110, 196, 255}, 12};
constexpr Paint kLockEdge{{96, 60, 8, 255}, 3};
constexpr Paint kGold{{245, 190, 40, 255}, 11};
constexpr Paint kGoldLight{{255, 220, 120, 255}, 11};
constexpr Paint kKeyhole{{58, 38, 6, 255}, 0};
constexpr Paint kSteelEdge{{64, 70, 82, 255}, 8};
constexpr Paint kSteel{{150, 160, 176, 255}, 7};

// The 32x32 drawing: a page with a folded corner and lines of text, a gold padlock over its
// lower right corner.
std::vector<Layer> Scene32() {
  std::vector<Layer> scene = {
      {Polygon({{4, 2}, {18, 2}, {24, 8}, {24, 30}, {4, 30}}), kOutline},
      {Polygon({{5, 3}, {17.6, 3}, {23, 8.4}, {23, 29}, {5, 29}}), kPage},
      {Polygon({{17, 2}, {17, 9}, {24, 9}}), kOutline},
      {Polygon({{18, 4.4}, {18, 8}, {21.6, 8}}), kFold},
  };
  for (const double y : {12.0, 15.0, 18.0, 21.0, 24.0}) {
    scene.push_back({Rect(8, y, y < 13 ? 15 : 20, y + 1), kInk});
  }
  const std::vector<Layer> lock = {
      {Shackle(22, 18, 6, 2.6, 19), kSteelEdge}, {Shackle(22, 18, 5, 3.6, 19), kSteel},
      {Rect(15, 18, 29, 31), kLockEdge},         {Rect(16, 19, 28, 30), kGold},
      {Rect(16, 19, 28, 21), kGoldLight},        {Disc(22, 23.5, 1.7), kKeyhole},
      {Rect(21.3, 24, 22.7, 28), kKeyhole},
  };
  scene.insert(scene.end(), lock.begin(), lock.end());
  return scene;
}

// The 16x16 drawing: the same picture with one-pixel features.
std::vector<Layer> Scene16() {
  std::vector<Layer> scene = {
      {Polygon({{1, 0}, {10, 0}, {13, 3}, {13, 16}, {1, 16}}), kOutline},
      {Polygon({{2, 1}, {9.6, 1}, {12, 3.4}, {12, 15}, {2, 15}}), kPage},
      {Polygon({{9, 0}, {9, 4}, {13, 4}}), kOutline},
  };
  for (const double y : {4.0, 6.0, 8.0}) {
    scene.push_back({Rect(4, y, y < 5 ? 8 : 10, y + 1), kInk});
  }
  const std::vector<Layer> lock = {
      {Shackle(11.5, 10, 2.6, 1.1, 10), kSteelEdge},
      {Rect(7, 10, 16, 16), kLockEdge},
      {Rect(8, 11, 15, 15), kGold},
      {Rect(8, 11, 15, 12), kGoldLight},
      {Rect(11, 12, 12, 14), kKeyhole},
  };
  scene.insert(scene.end(), lock.begin(), lock.end());
  return scene;
}

using Palette = std::vector<Rgba>;

// The 16 standard colours of a 4-bit display.
Palette Palette16() {
  return {{0, 0, 0, 0},       {128, 0, 0, 0},   {0, 128, 0, 0},   {128, 128, 0, 0},
          {0, 0, 128, 0},     {128, 0, 128, 0}, {0, 128, 128, 0}, {192, 192, 192, 0},
          {128, 128, 128, 0}, {255, 0, 0, 0},   {0, 255, 0, 0},   {255, 255, 0, 0},
          {0, 0, 255, 0},     {255, 0, 255, 0}, {0, 255, 255, 0}, {255, 255, 255, 0}};
}

// The colour at a point; `basic` paints with the 16-colour stand-ins.
Rgba Sample(const std::vector<Layer>& scene, double x, double y, bool basic) {
  Rgba colour;
  for (const Layer& layer : scene) {
    if (layer.shape(x, y)) {
      colour = basic ? Palette16()[layer.paint.basic] : layer.paint.colour;
      colour.a = 255;
    }
  }
  return colour;
}

struct Image {
  int size = 0;
  std::vector<Rgba> pixels;  // top row first
};

// Antialiased: the average of `grid` x `grid` samples per pixel, in straight alpha.
Image Render(const std::vector<Layer>& scene, int size, int grid, bool basic) {
  Image image{size, std::vector<Rgba>(static_cast<std::size_t>(size * size))};
  for (int py = 0; py < size; ++py) {
    for (int px = 0; px < size; ++px) {
      double r = 0, g = 0, b = 0, a = 0;
      for (int sy = 0; sy < grid; ++sy) {
        for (int sx = 0; sx < grid; ++sx) {
          const Rgba c = Sample(scene, px + (sx + 0.5) / grid, py + (sy + 0.5) / grid, basic);
          const double alpha = c.a / 255.0;
          r += c.r * alpha;
          g += c.g * alpha;
          b += c.b * alpha;
          a += alpha;
        }
      }
      Rgba& out = image.pixels[static_cast<std::size_t>(py * size + px)];
      if (a > 0) {
        out = {static_cast<std::uint8_t>(std::lround(r / a)),
               static_cast<std::uint8_t>(std::lround(g / a)),
               static_cast<std::uint8_t>(std::lround(b / a)),
               static_cast<std::uint8_t>(std::lround(255.0 * a / (grid * grid)))};
      }
    }
  }
  return image;
}

// The 16 standard colours, a 6x6x6 colour cube and 24 greys.
Palette Palette256() {
  Palette palette = Palette16();
  for (int r = 0; r < 6; ++r) {
    for (int g = 0; g < 6; ++g) {
      for (int b = 0; b < 6; ++b) {
        palette.push_back({static_cast<std::uint8_t>(r * 51), static_cast<std::uint8_t>(g * 51),
                           static_cast<std::uint8_t>(b * 51), 0});
      }
    }
  }
  for (int i = 0; i < 24; ++i) {
    const auto grey = static_cast<std::uint8_t>(8 + i * 10);
    palette.push_back({grey, grey, grey, 0});
  }
  return palette;
}

std::uint8_t Nearest(const Palette& palette, Rgba c) {
  std::size_t best = 0;
  int bestDistance = 1 << 30;
  for (std::size_t i = 0; i < palette.size(); ++i) {
    const int dr = c.r - palette[i].r, dg = c.g - palette[i].g, db = c.b - palette[i].b;
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  return static_cast<std::uint8_t>(best);
}

class Writer {
 public:
  void U8(std::uint8_t v) { bytes.push_back(v); }
  void U16(std::uint16_t v) {
    U8(static_cast<std::uint8_t>(v));
    U8(static_cast<std::uint8_t>(v >> 8));
  }
  void U32(std::uint32_t v) {
    U16(static_cast<std::uint16_t>(v));
    U16(static_cast<std::uint16_t>(v >> 16));
  }
  std::vector<std::uint8_t> bytes;
};

int Stride(int width, int bits) {
  return (width * bits + 31) / 32 * 4;
}

// One icon image: BITMAPINFOHEADER, palette, colour bitmap and transparency mask, rows from
// the bottom up. Paletted images are drawn point-sampled, so every pixel is opaque or clear.
std::vector<std::uint8_t> EncodeImage(const Image& image, int bits) {
  const int size = image.size;
  const Palette palette = bits == 4 ? Palette16() : bits == 8 ? Palette256() : Palette{};
  const int colourStride = Stride(size, bits);
  const int maskStride = Stride(size, 1);
  Writer w;
  w.U32(40);
  w.U32(static_cast<std::uint32_t>(size));
  w.U32(static_cast<std::uint32_t>(size * 2));  // colour bitmap and mask
  w.U16(1);
  w.U16(static_cast<std::uint16_t>(bits));
  w.U32(0);  // BI_RGB
  w.U32(static_cast<std::uint32_t>((colourStride + maskStride) * size));
  w.U32(0);
  w.U32(0);
  w.U32(static_cast<std::uint32_t>(palette.size()));
  w.U32(0);
  for (const Rgba& c : palette) {
    w.U8(c.b);
    w.U8(c.g);
    w.U8(c.r);
    w.U8(0);
  }
  const auto at = [&](int x, int y) {
    return image.pixels[static_cast<std::size_t>(y * size + x)];
  };
  for (int y = size - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(static_cast<std::size_t>(colourStride));
    for (int x = 0; x < size; ++x) {
      const Rgba c = at(x, y);
      const auto ux = static_cast<std::size_t>(x);
      if (bits == 32) {
        row[ux * 4] = c.b;
        row[ux * 4 + 1] = c.g;
        row[ux * 4 + 2] = c.r;
        row[ux * 4 + 3] = c.a;
      } else {
        const std::uint8_t index = c.a >= 128 ? Nearest(palette, c) : 0;
        if (bits == 8) {
          row[ux] = index;
        } else {
          row[ux / 2] = static_cast<std::uint8_t>(row[ux / 2] | (x % 2 == 0 ? index << 4 : index));
        }
      }
    }
    w.bytes.insert(w.bytes.end(), row.begin(), row.end());
  }
  for (int y = size - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(static_cast<std::size_t>(maskStride));
    for (int x = 0; x < size; ++x) {
      const std::uint8_t alpha = at(x, y).a;
      const bool transparent = bits == 32 ? alpha == 0 : alpha < 128;
      if (transparent) {
        row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      }
    }
    w.bytes.insert(w.bytes.end(), row.begin(), row.end());
  }
  return w.bytes;
}

struct Entry {
  int size;
  int bits;
  std::vector<std::uint8_t> data;
};

std::vector<std::uint8_t> EncodeIco(const std::vector<Entry>& entries) {
  Writer w;
  w.U16(0);
  w.U16(1);  // icon
  w.U16(static_cast<std::uint16_t>(entries.size()));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * entries.size());
  for (const Entry& e : entries) {
    w.U8(static_cast<std::uint8_t>(e.size));
    w.U8(static_cast<std::uint8_t>(e.size));
    w.U8(static_cast<std::uint8_t>(e.bits == 4 ? 16 : 0));  // colours in the palette, 0 for 256+
    w.U8(0);
    w.U16(1);
    w.U16(static_cast<std::uint16_t>(e.bits));
    w.U32(static_cast<std::uint32_t>(e.data.size()));
    w.U32(offset);
    offset += static_cast<std::uint32_t>(e.data.size());
  }
  for (const Entry& e : entries) {
    w.bytes.insert(w.bytes.end(), e.data.begin(), e.data.end());
  }
  return w.bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_icon OUTPUT.ico\n");
    return 2;
  }
  std::vector<Entry> entries;
  for (const int size : {32, 16}) {
    const std::vector<Layer> scene = size == 32 ? Scene32() : Scene16();
    entries.push_back({size, 4, EncodeImage(Render(scene, size, 1, true), 4)});
    entries.push_back({size, 8, EncodeImage(Render(scene, size, 1, false), 8)});
    entries.push_back({size, 32, EncodeImage(Render(scene, size, 8, false), 32)});
  }
  const std::vector<std::uint8_t> ico = EncodeIco(entries);
  std::FILE* file = std::fopen(argv[1], "wb");
  if (file == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  const bool written = std::fwrite(ico.data(), 1, ico.size(), file) == ico.size();
  if (std::fclose(file) != 0 || !written) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
