#include "app/water_ripple.h"

#include <algorithm>
#include <random>

namespace qm {

namespace {
int DefaultRandom() {
    static std::minstd_rand engine{std::random_device{}()};
    return static_cast<int>(engine() % 32767u);
}
}  // namespace

TCnWaterEffect::TCnWaterEffect() : TCnWaterEffect(DefaultRandom) {}
TCnWaterEffect::TCnWaterEffect(RandomSource random) : random_(std::move(random)) {}

void TCnWaterEffect::Resize(int width, int height) {
    if (width <= 0 || height <= 0) width = height = 0;
    width_ = width;
    height_ = height;
    const auto cells = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    mapA_.assign(cells, 0);
    mapB_.assign(cells, 0);
    currentRows_.resize(static_cast<std::size_t>(height));
    previousRows_.resize(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        currentRows_[y] = mapA_.data() + static_cast<std::size_t>(y) * width;
        previousRows_[y] = mapB_.data() + static_cast<std::size_t>(y) * width;
    }
    ClearRipples();
}

void TCnWaterEffect::ClearRipples() {
    std::fill(mapA_.begin(), mapA_.end(), 0);
    std::fill(mapB_.begin(), mapB_.end(), 0);
}

// A random point at least radius + 1 from the edges; an area too small for that gets its middle.
int TCnWaterEffect::RandomPosition(int extent, int radius) const {
    const int span = extent - 2 * radius - 1;
    if (span <= 0) return extent / 2;
    return random_() % span + radius + 1;
}

void TCnWaterEffect::AddDrop(int x, int y, int radius, int amplitude) {
    if (width_ == 0 || height_ == 0 || radius < 0) return;
    if (x < 0 || x > width_ - 1) x = RandomPosition(width_, radius);
    if (y < 0 || y > height_ - 1) y = RandomPosition(height_, radius);
    const int left = std::min(radius, x), right = std::min(radius, width_ - 1 - x);
    const int up = std::min(radius, y), down = std::min(radius, height_ - 1 - y);
    const long long r2 = static_cast<long long>(radius) * radius;
    for (int dy = -up; dy <= down; ++dy) {
        std::int32_t* row = currentRows_[y + dy];
        for (int dx = -left; dx <= right; ++dx)
            if (static_cast<long long>(dx) * dx + static_cast<long long>(dy) * dy <= r2) row[x + dx] += amplitude;
    }
}

void TCnWaterEffect::Propagate() {
    if (width_ == 0 || height_ == 0) return;
    const int factor = ((100 - damping_) * 256) / 100;
    for (int y = 0; y < height_; ++y) {
        const std::int32_t* above = currentRows_[std::max(y - 1, 0)];
        const std::int32_t* here = currentRows_[y];
        const std::int32_t* below = currentRows_[std::min(y + 1, height_ - 1)];
        std::int32_t* out = previousRows_[y];
        for (int x = 0; x < width_; ++x) {
            const int l = std::max(x - 1, 0), r = std::min(x + 1, width_ - 1);
            const std::int64_t sum = static_cast<std::int64_t>(above[l]) + above[x] + above[r] + here[l] + here[r] +
                                     below[l] + below[x] + below[r];
            std::int64_t v = sum / 4 - out[x];
            v = v * factor / 256;
            out[x] = static_cast<std::int32_t>(v);
        }
    }
    std::swap(currentRows_, previousRows_);
}

void TCnWaterEffect::Refract(const Picture24& source, const Picture24& target) const {
    const int w = std::min({width_, source.width, target.width});
    const int h = std::min({height_, source.height, target.height});
    for (int y = 0; y < h; ++y) {
        const std::int32_t* here = currentRows_[y];
        const std::int32_t* above = currentRows_[std::max(y - 1, 0)];
        const std::int32_t* below = currentRows_[std::min(y + 1, height_ - 1)];
        std::uint8_t* out = target.Row(y);
        const std::uint8_t* plain = source.Row(y);
        for (int x = 0; x < w; ++x) {
            const std::int64_t dx =
                static_cast<std::int64_t>(here[std::max(x - 1, 0)]) - here[std::min(x + 1, width_ - 1)];
            const std::int64_t dy = static_cast<std::int64_t>(above[x]) - below[x];
            const std::int64_t sx = x + dx, sy = y + dy;
            std::uint8_t* px = out + 3 * x;
            if (sx >= 0 && sx < w && sy >= 0 && sy < h) {
                const std::uint8_t* sample = source.Row(static_cast<int>(sy)) + 3 * sx;
                for (int c = 0; c < 3; ++c)
                    px[c] = static_cast<std::uint8_t>(std::clamp<std::int64_t>(sample[c] - dx, 0, 255));
            } else {
                std::copy(plain + 3 * x, plain + 3 * x + 3, px);
            }
        }
    }
}

void TCnWaterEffect::Animate(const Picture24& source, const Picture24& target) {
    Propagate();
    Refract(source, target);
}

}  // namespace qm
