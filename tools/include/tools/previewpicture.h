#pragma once

// What the commands that make pictures share: Qt's image machinery set up for a command, the
// preview's draw of one frame and writing a PNG file in one piece.

#include <functional>
#include <string>

#include <QGuiApplication>

class CChannel;
class CFrame;
class CScreen;
class QImage;

// The application object that text and image encoding need, for the life of a command. Without
// a display it uses the off-screen platform. Qt's own warnings (about the off-screen platform's
// runtime directory, say) are not errors of the command and would break its one-line error
// output: only critical and fatal messages reach standard error, after `command`.
class PictureApplication {
public:
    PictureApplication(const char* command, char* argv0);

private:
    int argc_ = 1;
    char* argv_[2];
    QGuiApplication app_;
};

// The preview's draw of one frame onto the screen: BeginDraw, Clear(0), RenderFrame without
// placements or scene at animation time `time`, then `beforeEnd` (when given) and EndDraw
// without dots. The screen's image then holds exactly the preview's picture.
void DrawPreviewFrame(CScreen& screen, CChannel* channel, CFrame* frame, int time,
                      const std::function<void(CScreen&)>& beforeEnd = {});

// Encodes the picture as PNG and writes it to path in one piece: a temporary file put in place
// once complete, so a failure leaves no file and an existing one as it was. False on failure,
// reported on standard error after `command` as one line.
[[nodiscard]] bool WritePng(const QImage& image, const std::string& path, const char* command);
