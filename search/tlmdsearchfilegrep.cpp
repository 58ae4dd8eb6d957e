#include "search/tlmdsearchfilegrep.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>

#include "search/csearchwalk.h"

TLMDSearchFileGrep::TLMDSearchFileGrep(QObject* parent) : QObject(parent) {}

TLMDSearchFileGrep::~TLMDSearchFileGrep() {
    for (DestroyGuard* guard = destroyGuards_; guard != nullptr; guard = guard->previous)
        guard->destroyed = true;
    WatchApplicationQuit(false);
}

void TLMDSearchFileGrep::Execute() {
    if (scheduled_ || running_)
        return;
    foundList_.clear();
    applicationQuitting_ = false;
    WatchApplicationQuit(true);
    if (!threadedSearch_) {
        threadedRun_ = false;
        StartGrep();
        return;
    }
    threadedRun_ = true;
    scheduled_ = true;
    terminated_ = false;
    QMetaObject::invokeMethod(this, &TLMDSearchFileGrep::StartGrep, Qt::QueuedConnection);
}

void TLMDSearchFileGrep::Cancel() {
    cancelRequested_ = true;
    if (scheduled_ || (running_ && threadedRun_))
        terminated_ = true;
}

bool TLMDSearchFileGrep::StopRequested() const {
    return (threadedRun_ && (scheduled_ || running_) && terminated_) || applicationQuitting_ ||
           QCoreApplication::closingDown() || cancelRequested_;
}

void TLMDSearchFileGrep::StartGrep() {
    scheduled_ = false;
    running_ = true;
    GrepFiles();
}

void TLMDSearchFileGrep::GrepFiles() {
    DestroyGuard guard(*this);
    {
        CSearchWalk walk(*this, guard.destroyed);
        if (walk.TemplateInvalid()) {
            if (OnTemplateInvalid) {
                const auto handler = OnTemplateInvalid;
                handler(this);
            }
        } else {
            for (const QString& piece : dirs_.split(u';')) {
                if (guard.destroyed)
                    return;
                const QString directory = piece.trimmed();
                if (directory.isEmpty())
                    continue;
                if (threadedRun_ && StopRequested())
                    continue;
                walk.WalkStart(directory);
            }
        }
        if (guard.destroyed)
            return;
    }

    // From here on Execute starts a new run again, also from the handlers below.
    running_ = false;
    terminated_ = false;
    WatchApplicationQuit(false);
    if (cancelRequested_) {
        if (OnCancel) {
            const auto handler = OnCancel;
            handler(this);
        }
    } else if (OnFinished) {
        const auto handler = OnFinished;
        handler(this);
    }
    if (guard.destroyed)
        return;
    cancelRequested_ = false;
    if (OnEnd) {
        const auto handler = OnEnd;
        handler(this);
    }
}

void TLMDSearchFileGrep::WatchApplicationQuit(bool watch) {
    // Only the application's own thread can filter its events; a run elsewhere never processes
    // them either.
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr || watch == watchingQuit_ ||
        QThread::currentThread() != application->thread())
        return;
    if (watch)
        application->installEventFilter(this);
    else
        application->removeEventFilter(this);
    watchingQuit_ = watch;
}

bool TLMDSearchFileGrep::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Quit && watched == QCoreApplication::instance())
        applicationQuitting_ = true;
    return QObject::eventFilter(watched, event);
}
