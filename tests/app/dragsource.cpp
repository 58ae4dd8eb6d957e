// A drag source for trying drops on the window under a real window system, where a file
// manager would be: `dragsource FILE...` shows a small window; pressing the mouse in it starts
// a drag of the files' URLs (text/uri-list, each name's bytes percent-encoded, as file managers
// write them) that can be carried to any window, by hand or with xdotool. The target fetches
// the data from the source once the drop has happened, so the program stays a few seconds after
// it, then ends: exit status 0 when the drag was dropped and taken, 1 when it was refused or
// cancelled.

#include <QApplication>
#include <QDrag>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>

#include <string>

#include "app/openednames.h"

namespace {

class TDragSource : public QLabel {
public:
    explicit TDragSource(QList<QUrl> urls) : urls(std::move(urls)) {
        setText(QStringLiteral("Drag from here:\n") + QString::number(this->urls.size()) +
                QStringLiteral(" file(s)"));
        setAlignment(Qt::AlignCenter);
        setFixedSize(200, 100);
    }

protected:
    void mousePressEvent(QMouseEvent*) override {
        auto* drag = new QDrag(this);
        auto* data = new QMimeData;
        data->setUrls(urls);
        drag->setMimeData(data);
        const Qt::DropAction done = drag->exec(Qt::CopyAction | Qt::LinkAction, Qt::CopyAction);
        QTimer::singleShot(5000,
                           [done] { QCoreApplication::exit(done == Qt::IgnoreAction ? 1 : 0); });
    }

private:
    QList<QUrl> urls;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QList<QUrl> urls;
    for (const std::string& name : CommandLineNames(argc, argv))
        urls.push_back(QUrl::fromEncoded(QByteArray("file://") +
                                         QByteArray::fromStdString(name).toPercentEncoding("/")));
    TDragSource source(urls);
    source.setWindowTitle(QStringLiteral("dragsource"));
    source.move(0, 0);
    source.show();
    return QApplication::exec();
}
