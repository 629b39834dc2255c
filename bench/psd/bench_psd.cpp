// Times cpsd::LoadPsdFile, from file to drawable picture, on 8000 x 6000 PSDs, and prints
// its ratio to stb_image's stbi_load and to a malloc + memcpy of the picture's size into
// fresh memory, all measured in this run; and the peak resident memory of one load of each
// (in a child process of its own) beside the picture's size.
// Usage: bench_psd [data folder] [repetitions] [only files whose name contains this]
#include <stb/stb_image.h>

#include <sys/wait.h>
#include <unistd.h>
#include <QFile>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "cpsd.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Picture {
    const char* name;
    const char* options;  // ImageMagick options between the source and the PSD
    double goalVsStb;     // most our time may be as a share of stb_image's (0: no goal)
};

// The files, as the issue names them; stb_image reads only the RGB ones.
const Picture kPictures[] = {
    {"rgb8_raw", "-depth 8 -compress None", 0.6},
    {"rgb8_rle", "-depth 8 -compress RLE", 0.6},
    {"rgb16_raw", "-depth 16 -compress None", 1.0},
    {"rgb16_rle", "-depth 16 -compress RLE", 1.0},
    {"cmyk8_raw", "-colorspace CMYK -depth 8 -compress None", 0},
    {"cmyk8_rle", "-colorspace CMYK -depth 8 -compress RLE", 0},
    {"gray8_raw", "-colorspace Gray -depth 8 -compress None", 0},
    {"gray8_rle", "-colorspace Gray -depth 8 -compress RLE", 0},
};

bool Run(const std::string& command) {
    std::printf("  %s\n", command.c_str());
    std::fflush(stdout);
    return std::system(command.c_str()) == 0;
}

// Makes the source picture once and each PSD from it (whose name contains `only`), when missing.
bool MakePictures(const std::string& dir, const std::string& only) {
    const std::string convert = "convert-im6.q16";
    const std::string source = dir + "/plasma.miff";
    if (!Run("mkdir -p '" + dir + "'")) return false;
    if (!QFile::exists(QString::fromStdString(source)) &&
        !Run(convert + " -seed 42 -size 8000x6000 plasma: -depth 8 '" + source + "'"))
        return false;
    for (const Picture& p : kPictures) {
        if (std::string(p.name).find(only) == std::string::npos) continue;
        const std::string psd = dir + "/" + p.name + ".psd";
        if (QFile::exists(QString::fromStdString(psd))) continue;
        if (!Run(convert + " '" + source + "' " + p.options + " '" + psd + ".tmp.psd' && mv '" +
                 psd + ".tmp.psd' '" + psd + "'"))
            return false;
    }
    return true;
}

// Median of `reps` timings in milliseconds; `setup` runs untimed before each.
double MedianMs(int reps, const std::function<bool()>& timed, const std::function<void()>& after) {
    std::vector<double> ms;
    for (int i = 0; i < reps; ++i) {
        const auto start = Clock::now();
        const bool ok = timed();
        const auto stop = Clock::now();
        after();
        if (!ok) return -1;
        ms.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// Peak resident memory in MiB that `load` adds, measured in a child process whose peak is
// reset first (so what the benchmark itself holds does not count); -1 when it failed.
double PeakMiB(const std::function<bool()>& load) {
    int ends[2];
    if (pipe(ends) != 0) return -1;
    const pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        close(ends[0]);
        const auto resident = [](const char* field) {
            long kb = -1;
            if (FILE* f = std::fopen("/proc/self/status", "r")) {
                char line[256];
                while (std::fgets(line, sizeof line, f))
                    if (std::strncmp(line, field, std::strlen(field)) == 0)
                        kb = std::atol(line + std::strlen(field));
                std::fclose(f);
            }
            return kb;
        };
        if (FILE* refs = std::fopen("/proc/self/clear_refs", "w")) {
            std::fputs("5", refs);
            std::fclose(refs);
        }
        const long before = resident("VmRSS:");
        const long peak = load() ? resident("VmHWM:") - before : -1;
        const bool sent = write(ends[1], &peak, sizeof peak) == sizeof peak;
        _exit(sent ? 0 : 1);
    }
    close(ends[1]);
    long peakKb = -1;
    const bool got = read(ends[0], &peakKb, sizeof peakKb) == sizeof peakKb;
    close(ends[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return got && peakKb >= 0 ? double(peakKb) / 1024.0 : -1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 && *argv[1] ? argv[1] : ORVANE_PSD_BENCH_DATA;
    const int reps = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const std::string only = argc > 3 ? argv[3] : "";
    std::printf("PSD load, 8000 x 6000, median of %d runs; pictures in %s\n", reps, dir.c_str());
    if (!MakePictures(dir, only)) {
        std::fprintf(stderr, "could not make the test pictures (is ImageMagick installed?)\n");
        return 1;
    }

    // The copy peer: the picture's size copied into fresh memory.
    const std::size_t outBytes = std::size_t{8000} * 6000 * 4;
    std::vector<uint8_t> source(outBytes, 1);
    uint8_t* fresh = nullptr;
    const double copyMs = MedianMs(
        reps,
        [&] {
            fresh = static_cast<uint8_t*>(std::malloc(outBytes));
            if (fresh) std::memcpy(fresh, source.data(), outBytes);
            return fresh != nullptr;
        },
        [&] { std::free(fresh); });
    source = {};
    std::printf("malloc + memcpy of %zu bytes: %.1f ms\n\n", outBytes, copyMs);
    const double pictureMiB = double(outBytes) / (1024.0 * 1024.0);
    std::printf(
        "peak memory: what one load adds to the resident set, beside the picture's %.0f "
        "MiB\n\n",
        pictureMiB);
    std::printf("%-10s %9s %9s %9s %9s %9s %9s %8s  %s\n", "file", "cpsd ms", "stb ms", "vs stb",
                "vs copy", "cpsd MiB", "stb MiB", "vs pic", "goal");

    int missed = 0;
    for (const Picture& p : kPictures) {
        if (std::string(p.name).find(only) == std::string::npos) continue;
        const std::string path = dir + "/" + p.name + ".psd";
        const QString qpath = QString::fromStdString(path);
        orv::cpsd reader;
        reader.LoadPsdFile(qpath);  // warms the page cache
        reader.FreePsd();           // so that the next load decodes again
        const double oursMs = MedianMs(
            reps, [&] { return reader.LoadPsdFile(qpath); }, [&] { reader.FreePsd(); });
        unsigned char* img = nullptr;
        const double stbMs = MedianMs(
            reps,
            [&] {
                int w = 0, h = 0, n = 0;
                img = stbi_load(path.c_str(), &w, &h, &n, 4);
                return img != nullptr;
            },
            [&] { stbi_image_free(img); });

        const double oursMiB = PeakMiB([&] { return orv::cpsd().LoadPsdFile(qpath); });
        const double stbMiB = PeakMiB([&] {
            int w = 0, h = 0, n = 0;
            unsigned char* pixels = stbi_load(path.c_str(), &w, &h, &n, 4);
            stbi_image_free(pixels);
            return pixels != nullptr;
        });

        std::string goal = "-";
        if (oursMs < 0) {
            goal = "FAILED to load";
            ++missed;
        } else if (p.goalVsStb > 0 && stbMs > 0) {
            const bool met = oursMs <= p.goalVsStb * stbMs;
            goal = std::string(met ? "met" : "MISSED") +
                   " (<= " + std::to_string(p.goalVsStb).substr(0, 3) + "x stb)";
            missed += met ? 0 : 1;
        }
        if (std::string(p.name) == "rgb8_raw") {
            const bool met = oursMs <= 2.5 * copyMs;
            goal += std::string(met ? ", met" : ", MISSED") + " (<= 2.5x copy)";
            missed += met ? 0 : 1;
        }
        char stbText[16] = "n/a";
        char stbRatio[16] = "n/a";
        if (stbMs > 0) {
            std::snprintf(stbText, sizeof stbText, "%.1f", stbMs);
            std::snprintf(stbRatio, sizeof stbRatio, "%.2fx", oursMs / stbMs);
        }
        if (oursMiB >= 0) {
            const bool met = oursMiB <= 1.1 * pictureMiB;
            goal += std::string(met ? ", met" : ", MISSED") + " (memory <= 1.1x picture)";
            missed += met ? 0 : 1;
        }
        char stbPeak[16] = "n/a";
        if (stbMiB >= 0) std::snprintf(stbPeak, sizeof stbPeak, "%.0f", stbMiB);
        std::printf("%-10s %9.1f %9s %9s %8.2fx %9.0f %9s %7.2fx  %s\n", p.name, oursMs, stbText,
                    stbRatio, oursMs / copyMs, oursMiB, stbPeak, oursMiB / pictureMiB,
                    goal.c_str());
    }
    std::printf("\n%s\n", missed ? "some goals were missed" : "all goals met");
    return 0;
}
