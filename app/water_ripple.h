#pragma once
// A small height-map wave simulation that ripples a picture like a water surface.
#include <cstdint>
#include <functional>
#include <vector>

namespace qm {

// A 24-bit picture (blue, green, red bytes) in memory. `rowStep` is the distance in bytes from
// row 0 to row 1, negative for bottom-up pictures.
struct Picture24 {
    std::uint8_t* row0 = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t rowStep = 0;
    std::uint8_t* Row(int y) const { return row0 + rowStep * y; }
};

class TCnWaterEffect {
public:
    // Uniform integer source for random drop positions; returns 0 .. 32766.
    using RandomSource = std::function<int()>;

    TCnWaterEffect();
    explicit TCnWaterEffect(RandomSource random);

    void Resize(int width, int height);
    void ClearRipples();
    void AddDrop(int x, int y, int radius, int amplitude);
    void Propagate();
    // Draws `source` displaced and shaded by the surface into `target`; both have the area's size.
    void Refract(const Picture24& source, const Picture24& target) const;
    void Animate(const Picture24& source, const Picture24& target);

    int Width() const { return width_; }
    int Height() const { return height_; }
    std::uint8_t Damping() const { return damping_; }
    // Heights of the current and the previous map; (x, y) inside the area.
    std::int32_t Current(int x, int y) const { return currentRows_[y][x]; }
    std::int32_t Previous(int x, int y) const { return previousRows_[y][x]; }

private:
    int RandomPosition(int extent, int radius) const;

    int width_ = 0;
    int height_ = 0;
    std::uint8_t damping_ = 20;
    std::vector<std::int32_t> mapA_, mapB_;
    std::vector<std::int32_t*> currentRows_, previousRows_;  // row starts
    RandomSource random_;
};

}  // namespace qm
