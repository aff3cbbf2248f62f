// Opens PNG files as the application does and reports how soon each window shows its
// entries, how soon its picture is there, and the process's peak memory; run once per
// file, in a process of its own, so each file's peak is its own:
//   bench_open FILE          one window
//   bench_open --many N FILE N windows of the file at once, with the longest pause of
//                            the event loop while their pictures decode
// Prints one line of key=value figures (picture_vs_plain: the picture's time over one plain
// libpng decode of the file). Runs on any Qt platform (offscreen is fine).
#include "commentlist/widgets/CommentTableModel.h"
#include "core/PreviewDecoder.h"
#include "document/PNGDoc.h"
#include "document/PreviewLoader.h"
#include "document/widgets/DocumentWindow.h"
#include "windowkit/CommentListPane.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <png.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include <sys/resource.h>

namespace {

// Peak resident memory of this process so far, in MiB (VmHWM).
double peakRssMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

// A plain libpng decode of every row into one row buffer: the yardstick for the picture.
double plainDecodeMs(const QString &path)
{
    FILE *fp = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!fp)
        return -1;
    QElapsedTimer timer;
    timer.start();
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_byte> *row = new std::vector<png_byte>;
    if (setjmp(png_jmpbuf(png))) { // NOLINT(cert-err52-cpp): libpng reports errors by longjmp
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(fp);
        delete row;
        return -1;
    }
    png_init_io(png, fp);
    png_set_user_limits(png, 1000000, 1000000);
    png_read_info(png, info);
    row->resize(png_get_rowbytes(png, info));
    const png_uint_32 height = png_get_image_height(png, info);
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < height; ++y)
            png_read_row(png, row->data(), nullptr);
    }
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(fp);
    delete row;
    return double(timer.nsecsElapsed()) / 1e6;
}

// CPU time of every thread of this process so far, in ms.
double cpuMs()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int count = 1;
    if (args.size() == 3 && args[0] == u"--many") {
        count = args[1].toInt();
        args = args.mid(2);
    }
    if (args.size() != 1 || count < 1) {
        std::fprintf(stderr, "usage: bench_open [--many N] FILE\n");
        return 2;
    }
    const QString path = args[0];

    // The longest the event loop went without running a 5 ms timer, while the pictures decode.
    QElapsedTimer tick;
    qint64 longestPauseMs = 0;
    QTimer heartbeat;
    heartbeat.setInterval(5);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] { longestPauseMs = std::max(longestPauseMs, tick.restart()); });

    const qint64 appReadyNs = sinceStart.nsecsElapsed();
    QElapsedTimer sinceOpen;
    sinceOpen.start();
    std::vector<DocumentWindow *> windows;
    for (int i = 0; i < count; ++i) {
        auto *window = new DocumentWindow(path, {});
        window->show();
        windows.push_back(window);
    }
    // Shown: every window exposed, its entries in the table.
    for (DocumentWindow *window : windows) {
        while (!window->windowHandle() || !window->windowHandle()->isExposed())
            app.processEvents(QEventLoop::WaitForMoreEvents);
    }
    app.processEvents();
    const qint64 windowNs = sinceOpen.nsecsElapsed();
    const int entries = windows.front()->pane()->model()->rowCount();
    const bool loaded = windows.front()->document()->isLoaded();
    const double rssAtWindow = peakRssMiB();

    const double cpuAtWindow = cpuMs();
    tick.start();
    heartbeat.start();
    const auto decoding = [&] {
        for (DocumentWindow *window : windows) {
            if (window->previewLoader()->isRunning())
                return true;
        }
        return false;
    };
    while (decoding())
        app.processEvents(QEventLoop::WaitForMoreEvents);
    heartbeat.stop();
    const qint64 pictureNs = sinceOpen.nsecsElapsed();
    const double pictureCpuMs = cpuMs() - cpuAtWindow;
    const QString damage = windows.front()->document()->imageDataDamage();
    const QScreen *screen = windows.front()->screen();
    const QSize box = screen->size() * screen->devicePixelRatio();
    const double peak = peakRssMiB();
    for (DocumentWindow *window : windows)
        delete window;

    const double plainMs = plainDecodeMs(path);
    // The same preview decode on this thread alone, without a window: what the decode costs
    // apart from sharing the machine with the window.
    QElapsedTimer direct;
    direct.start();
    {
        QFile file(path);
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        direct.restart();
        PreviewImage preview;
        PreviewDecoder::Options options;
        options.maxWidth = box.width();
        options.maxHeight = box.height();
        PreviewDecoder::decodeBytes(bytes, options, &preview);
    }
    const double directMs = double(direct.nsecsElapsed()) / 1e6;
    std::printf("file=%s windows=%d loaded=%d entries=%d app_start_ms=%.1f window_ms=%.1f picture_ms=%.1f "
                "plain_decode_ms=%.1f picture_vs_plain=%.2f preview_decode_alone_ms=%.1f picture_cpu_ms=%.1f "
                "preview_box=%dx%d rss_at_window_mib=%.1f peak_rss_mib=%.1f "
                "longest_pause_ms=%lld damage=\"%s\"\n",
        qPrintable(path), count, int(loaded), entries, double(appReadyNs) / 1e6, double(windowNs) / 1e6,
        double(pictureNs) / 1e6, plainMs, plainMs > 0 ? double(pictureNs) / 1e6 / plainMs : 0.0, directMs, pictureCpuMs,
        box.width(), box.height(), rssAtWindow, peak, static_cast<long long>(longestPauseMs), qPrintable(damage));
    return loaded ? 0 : 1;
}
