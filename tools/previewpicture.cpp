#include "tools/previewpicture.h"

#include <cstdio>
#include <cstdlib>

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include "platform/outputfile.h"
#include "render/cscreen.h"

namespace {

const char* messageCommand = "trellion-cli";

void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s: %s\n", messageCommand, message.toLocal8Bit().constData());
}

// Runs before the application object is made: the platform is chosen at its construction.
int PrepareQt(const char* command) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    messageCommand = command;
    qInstallMessageHandler(QuietQtMessages);
    return 1;
}

} // namespace

PictureApplication::PictureApplication(const char* command, char* argv0)
    : argc_(PrepareQt(command)), argv_{argv0, nullptr}, app_(argc_, argv_) {}

void DrawPreviewFrame(CScreen& screen, CChannel* channel, CFrame* frame, int time,
                      const std::function<void(CScreen&)>& beforeEnd) {
    screen.BeginDraw();
    screen.Clear(0);
    screen.RenderFrame(nullptr, nullptr, nullptr, channel, frame, time);
    if (beforeEnd)
        beforeEnd(screen);
    screen.EndDraw(false);
}

bool WritePng(const QImage& image, const std::string& path, const char* command) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        std::fprintf(stderr, "%s: %s: cannot encode the picture\n", command, path.c_str());
        return false;
    }
    COutputFile out(path);
    if (!out.Open() || !out.Write(bytes.constData(), static_cast<size_t>(bytes.size())) ||
        !out.Commit()) {
        std::fprintf(stderr, "%s: %s: cannot write the file\n", command, path.c_str());
        return false;
    }
    return true;
}
