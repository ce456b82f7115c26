#include "FrequencyPicture.h"

#include "Synth.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <complex>
#include <cstdio>
#include <cstring>
#include <memory>

namespace VelmoraSounds {

namespace {

constexpr int kWindow = 1024;

// In-place radix-2 FFT of kWindow points. The products are written out by
// hand: std::complex's operator* checks for infinities on every call.
void fft(std::vector<std::complex<float>>& a) {
    const int n = static_cast<int>(a.size());
    for (int i = 1, j = 0; i < n; ++i) {
        int bit = n >> 1;
        for (; j & bit; bit >>= 1) {
            j ^= bit;
        }
        j ^= bit;
        if (i < j) {
            std::swap(a[static_cast<size_t>(i)], a[static_cast<size_t>(j)]);
        }
    }
    for (int len = 2; len <= n; len <<= 1) {
        const float wr = static_cast<float>(std::cos(-kTau / len)),
                    wi = static_cast<float>(std::sin(-kTau / len));
        for (int i = 0; i < n; i += len) {
            float kr = 1.0f, ki = 0.0f;
            for (int k = 0; k < len / 2; ++k) {
                std::complex<float>& top = a[static_cast<size_t>(i + k)];
                std::complex<float>& bottom = a[static_cast<size_t>(i + k + len / 2)];
                const float vr = bottom.real() * kr - bottom.imag() * ki;
                const float vi = bottom.real() * ki + bottom.imag() * kr;
                bottom = {top.real() - vr, top.imag() - vi};
                top = {top.real() + vr, top.imag() + vi};
                const float nr = kr * wr - ki * wi;
                ki = kr * wi + ki * wr;
                kr = nr;
            }
        }
    }
}

// Black, blue, red, yellow, white over 0..1.
void colour(float v, uint8_t* out) {
    static const float stops[5][3] = {
        {0, 0, 0}, {0.1f, 0.1f, 0.6f}, {0.8f, 0.1f, 0.2f}, {1, 0.85f, 0.1f}, {1, 1, 1}};
    v = std::clamp(v, 0.0f, 1.0f) * 4.0f;
    const int i = std::min(static_cast<int>(v), 3);
    const float f = v - static_cast<float>(i);
    for (int c = 0; c < 3; ++c) {
        out[c] = static_cast<uint8_t>(255.0f * (stops[i][c] + (stops[i + 1][c] - stops[i][c]) * f));
    }
}

} // namespace

void paintSpectrogram(Picture& picture, int x, int y, int w, int h, const std::vector<float>& samples,
                      int rate) {
    std::vector<float> hann(kWindow);
    for (int i = 0; i < kWindow; ++i) {
        hann[static_cast<size_t>(i)] = static_cast<float>(0.5 - 0.5 * std::cos(kTau * i / kWindow));
    }
    // Window sum 512: a full-scale sine peaks at 256 in its bin.
    const float fullScale = 0.25f * kWindow;
    std::vector<std::complex<float>> bins(kWindow);
    const double lowHz = 40.0, highHz = rate / 2.0;
    const int n = static_cast<int>(samples.size());
    // Row 0 is the top: the highest frequency band.
    std::vector<std::pair<int, int>> rowBins(static_cast<size_t>(h));
    for (int row = 0; row < h; ++row) {
        const double f0 = lowHz * std::pow(highHz / lowHz, static_cast<double>(h - 1 - row) / h);
        const double f1 = lowHz * std::pow(highHz / lowHz, static_cast<double>(h - row) / h);
        const int b0 = std::clamp(static_cast<int>(f0 / rate * kWindow), 1, kWindow / 2 - 1);
        rowBins[static_cast<size_t>(row)] = {
            b0, std::clamp(static_cast<int>(f1 / rate * kWindow), b0, kWindow / 2 - 1)};
    }
    for (int col = 0; col < w; ++col) {
        const int centre = static_cast<int>(static_cast<long long>(col) * n / w);
        for (int i = 0; i < kWindow; ++i) {
            const int at = centre - kWindow / 2 + i;
            const float s = at >= 0 && at < n ? samples[static_cast<size_t>(at)] : 0.0f;
            bins[static_cast<size_t>(i)] = {s * hann[static_cast<size_t>(i)], 0.0f};
        }
        fft(bins);
        for (int row = 0; row < h; ++row) {
            const auto [b0, b1] = rowBins[static_cast<size_t>(row)];
            float peak = 0.0f;
            for (int b = b0; b <= b1; ++b) {
                const std::complex<float> c = bins[static_cast<size_t>(b)];
                peak = std::max(peak, c.real() * c.real() + c.imag() * c.imag());
            }
            peak = std::sqrt(peak);
            const float db = 20.0f * std::log10(std::max(peak / fullScale, 1e-6f));
            uint8_t* px = &picture.rgb[static_cast<size_t>(((y + row) * picture.width + x + col) * 3)];
            colour((db + 96.0f) / 96.0f, px);
        }
    }
}

bool writePng(const std::string& path, const Picture& picture, std::string& error) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        error = path + ": PNG encoding failed";
        return false;
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height),
                 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int row = 0; row < picture.height; ++row) {
        png_write_row(png, &picture.rgb[static_cast<size_t>(row * picture.width * 3)]);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace VelmoraSounds
