// Sends hand-offs to a running orvane as fast as a second start could: `count` connections
// over `threads` threads, each line taken in turn from the arguments after the first three.
// Usage: handoff_flood SOCKET COUNT THREADS LINE...
#include <QCoreApplication>
#include <QLocalSocket>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 5) {
        std::fprintf(stderr, "usage: handoff_flood SOCKET COUNT THREADS LINE...\n");
        return 1;
    }
    const QString name = QString::fromLocal8Bit(argv[1]);
    const int count = std::atoi(argv[2]), threads = std::atoi(argv[3]);
    std::vector<QByteArray> lines;
    for (int i = 4; i < argc; ++i) lines.push_back(QByteArray(argv[i]) + '\n');
    std::atomic<int> next{0}, answered{0};
    std::vector<std::thread> senders;
    for (int t = 0; t < threads; ++t)
        senders.emplace_back([&] {
            for (int i = next++; i < count; i = next++) {
                QLocalSocket socket;
                socket.connectToServer(name);
                if (!socket.waitForConnected(5000)) continue;
                socket.write(lines[std::size_t(i) % lines.size()]);
                socket.waitForBytesWritten(5000);
                if (socket.waitForReadyRead(5000)) ++answered;
            }
        });
    for (auto& s : senders) s.join();
    std::printf("%d of %d answered\n", answered.load(), count);
    return 0;
}
