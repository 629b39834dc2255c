// Peak resident memory of `orvane --convert` from an 8000 x 6000 PSD to PNG, BMP and TIFF,
// each conversion in a process of its own (getrusage of the ended child), printed beside the
// picture's size (width * height * 4), the start-up of the same command on a tiny PSD and
// cpsd::LoadPsdFile alone, all measured in this run.
// Usage: bench_convert [data folder]
#include <QFile>
#include <QImage>
#include <QString>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cpsd.h"

namespace {

struct Peak {
    double mib = -1;  // peak resident memory of the child
    double ms = 0;    // its wall time
    int status = -1;  // its exit status
};

// Runs `body` in a child and reports the child's peak resident memory and time.
template <typename Body>
Peak InChild(Body body) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0) return {};
    if (child == 0) _exit(body());
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) return {};
    Peak p;
    p.ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    p.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    p.mib = double(usage.ru_maxrss) / 1024.0;
    return p;
}

Peak Convert(const std::string& in, const std::string& out) {
    return InChild([&] {
        const int devnull = ::open("/dev/null", O_WRONLY);
        if (devnull >= 0) ::dup2(devnull, STDERR_FILENO);
        ::execl(ORVANE_BINARY, ORVANE_BINARY, "--convert", in.c_str(), out.c_str(),
                static_cast<char*>(nullptr));
        return 127;
    });
}

bool Run(const std::string& command) {
    std::printf("  %s\n", command.c_str());
    std::fflush(stdout);
    return std::system(command.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : ORVANE_PSD_BENCH_DATA;
    const std::string im = "convert-im6.q16";
    const std::string source = dir + "/plasma.miff", big = dir + "/rgb8_rle.psd";
    const std::string tiny = dir + "/tiny.psd";
    // The same pictures bench_psd makes (and shares with it), and a tiny one.
    if (!Run("mkdir -p '" + dir + "'")) return 1;
    if (!QFile::exists(QString::fromStdString(source)) &&
        !Run(im + " -seed 42 -size 8000x6000 plasma: -depth 8 '" + source + "'"))
        return 1;
    if (!QFile::exists(QString::fromStdString(big)) &&
        !Run(im + " '" + source + "' -depth 8 -compress RLE '" + big + ".tmp.psd' && mv '" + big +
             ".tmp.psd' '" + big + "'"))
        return 1;
    if (!QFile::exists(QString::fromStdString(tiny)) &&
        !Run(im + " -size 16x16 xc:teal -depth 8 '" + tiny + "'"))
        return 1;

    // The size from the header (bytes 14..21): this process stays small, for the children forked
    // from it start with what it holds.
    int width = 0, height = 0;
    {
        QFile file(QString::fromStdString(big));
        const QByteArray head = file.open(QIODevice::ReadOnly) ? file.read(22) : QByteArray();
        if (head.size() != 22) return 1;
        const auto u32 = [&](int at) {
            return int(uint8_t(head[at]) << 24 | uint8_t(head[at + 1]) << 16 |
                       uint8_t(head[at + 2]) << 8 | uint8_t(head[at + 3]));
        };
        height = u32(14);
        width = u32(18);
    }
    const double pictureMiB = double(width) * double(height) * 4 / (1024.0 * 1024.0);
    // The reader alone.
    const Peak reader =
        InChild([&] { return orv::cpsd().LoadPsdFile(QString::fromStdString(big)) ? 0 : 1; });
    const std::string out = dir + "/converted";
    const Peak startup = Convert(tiny, out + "-tiny.png");
    std::printf("\n%s (%dx%d), picture %.0f MiB\n", big.c_str(), width, height, pictureMiB);
    std::printf("cpsd::LoadPsdFile alone: peak %.0f MiB (%.2fx the picture)\n", reader.mib,
                reader.mib / pictureMiB);
    std::printf("orvane --convert of a 16x16 PSD (start-up): peak %.0f MiB\n\n", startup.mib);
    std::printf("%-5s %9s %10s %10s %13s %9s  %s\n", "to", "peak MiB", "x picture", "net MiB",
                "net x picture", "ms", "goal peak <= 1.25x picture");
    // A missed goal is printed; only a conversion that failed ends with a failure status.
    bool ran = startup.status == 0 && reader.status == 0;
    for (const char* ext : {"png", "bmp", "tif"}) {
        const Peak p = Convert(big, out + "." + ext);
        const double ratio = p.mib / pictureMiB, net = p.mib - startup.mib;
        const bool ok = p.status == 0 && ratio <= 1.25;
        ran = ran && p.status == 0;
        std::printf("%-5s %9.0f %9.2fx %10.0f %12.2fx %9.0f  %s\n", ext, p.mib, ratio, net,
                    net / pictureMiB, p.ms,
                    p.status != 0 ? "FAILED"
                    : ok          ? "met"
                                  : "missed");
        QFile::remove(QString::fromStdString(out + "." + ext));
    }
    QFile::remove(QString::fromStdString(out + "-tiny.png"));
    return ran ? 0 : 1;
}
