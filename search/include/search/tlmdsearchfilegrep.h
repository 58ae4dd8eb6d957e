#pragma once

#include <functional>

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

#include "search/searchtypes.h"
#include "search/tlmdspfilerecord.h"

class CSearchWalk;

// Walks one or more directory trees and reports every entry whose name matches one of a list
// of file masks. It reports only through its notifications, each sent only while a handler is
// bound (a non-empty std::function):
//
//   OnDirChange(sender, dir)    on entering a directory, after pending events were processed;
//                               dir ends in "/"
//   OnFileChange(sender, name)  for each entry of the directory matching a mask, before any
//                               filter (so also "." and ".." when a mask matches them)
//   OnFound(sender, record)     for each accepted entry
//   OnFinished(sender)          at the end of a run without a cancel request
//   OnCancel(sender)            at the end of a run with a cancel request
//   OnEnd(sender)               after OnFinished or OnCancel, always
//   OnTemplateInvalid(sender)   the content template holds nothing but wildcards; the run then
//                               walks nothing
//   OnErrorOpenFile(sender, path)  the content search could not read a file
//
// The walk is depth-first: in every directory the matching entries of the first mask, then
// those of the next mask, then each subdirectory with everything below it. Pending events of
// the user-interface thread are processed once on entering each directory, so handlers of
// other events (a Stop button) run nested inside a walk; Cancel and Execute are safe there.
//
// A threaded run (ThreadedSearch, the default) is scheduled on the event loop of the thread the
// component lives in: Execute returns at once and the walk starts when control is back in the
// event loop, so it needs a running event loop. An unthreaded run walks inside Execute.
//
// Paths and names, in the properties and in every notification, are text made by
// DecodeFileName (search/filenamecodec.h), so a name that is not valid UTF-8 keeps its bytes:
// EncodeFileName gives back the path as the file system knows it.
//
// Linux specifics: symbolic links are reported like any entry but never followed; no
// directory is entered twice in one run (by device and inode); directories on the kernel's
// pseudo file systems (proc, sysfs, devtmpfs, cgroup...) are passed over when the walk reaches
// them from elsewhere; a directory that cannot be read yields nothing and the walk goes on.
class TLMDSearchFileGrep : public QObject {
    Q_OBJECT

public:
    using TNotifyEvent = std::function<void(QObject* sender)>;
    using TDirChangeEvent = std::function<void(QObject* sender, const QString& dir)>;
    using TFileChangeEvent = std::function<void(QObject* sender, const QString& name)>;
    using TFoundEvent = std::function<void(QObject* sender, const TLMDSPFileRecord& record)>;
    using TErrorOpenFileEvent = std::function<void(QObject* sender, const QString& path)>;

    explicit TLMDSearchFileGrep(QObject* parent = nullptr);
    ~TLMDSearchFileGrep() override;

    // Starts a run unless one is scheduled or running (then it does nothing). Empties the
    // internal found list. Threaded: schedules the run and returns at once. Unthreaded: performs
    // the run before returning.
    void Execute();
    // Requests a cancel. The request holds until the end of the next run, so Cancel while idle
    // followed by Execute gives a run that walks nothing (threaded) and ends with OnCancel.
    void Cancel();

    // True while a run is scheduled or running.
    [[nodiscard]] bool IsSearching() const { return scheduled_ || running_; }

    // Start directories separated by ";"; each piece is trimmed, empty pieces are skipped.
    [[nodiscard]] const QString& Dirs() const { return dirs_; }
    void SetDirs(const QString& dirs) { dirs_ = dirs; }
    // Masks separated by ";": "*" any run of characters, "?" any one character, letters without
    // regard to case; a mask ending in ".*" also matches names without that extension, so
    // "*.*" matches every name. Empty means "*.*".
    [[nodiscard]] const QString& FileMasks() const { return fileMasks_; }
    void SetFileMasks(const QString& masks) { fileMasks_ = masks; }
    [[nodiscard]] bool RecurseSubDirs() const { return recurseSubDirs_; }
    void SetRecurseSubDirs(bool recurse) { recurseSubDirs_ = recurse; }
    [[nodiscard]] bool ThreadedSearch() const { return threadedSearch_; }
    void SetThreadedSearch(bool threaded) { threadedSearch_ = threaded; }
    [[nodiscard]] TLMDThreadPriority ThreadPriority() const { return threadPriority_; }
    void SetThreadPriority(TLMDThreadPriority priority) { threadPriority_ = priority; }
    // Also collect the path (directory followed by name) of every accepted entry in FoundList.
    [[nodiscard]] bool InternalFoundList() const { return internalFoundList_; }
    void SetInternalFoundList(bool collect) { internalFoundList_ = collect; }
    [[nodiscard]] const QStringList& FoundList() const { return foundList_; }
    [[nodiscard]] TLMDSearchResultValues ResultValues() const { return resultValues_; }
    void SetResultValues(TLMDSearchResultValues values) { resultValues_ = values; }

    // Attribute filter. With fmAnyfile every entry passes; otherwise an entry passes when it has
    // at least one of the attributes in the set.
    [[nodiscard]] TLMDFileAttributes Attributes() const { return attributes_; }
    void SetAttributes(TLMDFileAttributes attributes) { attributes_ = attributes; }
    // Size bounds in bytes, inclusive; 0 means no bound. A directory counts as size 0.
    [[nodiscard]] qint64 MinSize() const { return minSize_; }
    void SetMinSize(qint64 size) { minSize_ = size; }
    [[nodiscard]] qint64 MaxSize() const { return maxSize_; }
    void SetMaxSize(qint64 size) { maxSize_ = size; }
    // Date bounds, exclusive; only those named in CheckDates apply. Creation time is the birth
    // time where the file system keeps one, else the modification time.
    [[nodiscard]] TLMDCheckDates CheckDates() const { return checkDates_; }
    void SetCheckDates(TLMDCheckDates checks) { checkDates_ = checks; }
    [[nodiscard]] const QDateTime& CreatedAfter() const { return createdAfter_; }
    void SetCreatedAfter(const QDateTime& time) { createdAfter_ = time; }
    [[nodiscard]] const QDateTime& CreatedBefore() const { return createdBefore_; }
    void SetCreatedBefore(const QDateTime& time) { createdBefore_ = time; }
    [[nodiscard]] const QDateTime& AccessedAfter() const { return accessedAfter_; }
    void SetAccessedAfter(const QDateTime& time) { accessedAfter_ = time; }
    [[nodiscard]] const QDateTime& AccessedBefore() const { return accessedBefore_; }
    void SetAccessedBefore(const QDateTime& time) { accessedBefore_ = time; }
    [[nodiscard]] const QDateTime& ModifiedAfter() const { return modifiedAfter_; }
    void SetModifiedAfter(const QDateTime& time) { modifiedAfter_ = time; }
    [[nodiscard]] const QDateTime& ModifiedBefore() const { return modifiedBefore_; }
    void SetModifiedBefore(const QDateTime& time) { modifiedBefore_ = time; }

    // Content search: when SearchString is not empty, only regular files whose contents hold
    // the template are accepted (directories never). In the template AnySingleCharacter stands
    // for any one byte and AnySequenceCharacter for any run of bytes; without ssoMatchCase
    // ASCII letters match regardless of case; with ssoWholeWords the match must neither begin
    // nor end inside a word (letters, digits, "_").
    [[nodiscard]] const QString& SearchString() const { return searchString_; }
    void SetSearchString(const QString& text) { searchString_ = text; }
    [[nodiscard]] TLMDSearchOptions SearchOptions() const { return searchOptions_; }
    void SetSearchOptions(TLMDSearchOptions options) { searchOptions_ = options; }
    [[nodiscard]] QChar AnySingleCharacter() const { return anySingleCharacter_; }
    void SetAnySingleCharacter(QChar c) { anySingleCharacter_ = c; }
    [[nodiscard]] QChar AnySequenceCharacter() const { return anySequenceCharacter_; }
    void SetAnySequenceCharacter(QChar c) { anySequenceCharacter_ = c; }

    TDirChangeEvent OnDirChange;
    TFileChangeEvent OnFileChange;
    TFoundEvent OnFound;
    TNotifyEvent OnFinished;
    TNotifyEvent OnCancel;
    TNotifyEvent OnEnd;
    TNotifyEvent OnTemplateInvalid;
    TErrorOpenFileEvent OnErrorOpenFile;

protected:
    // Sees the application's QEvent::Quit while a run is scheduled or running: a quitting
    // application stops the walk as a cancel does.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class CSearchWalk;

    // Reads the properties and performs the run.
    void StartGrep();
    void GrepFiles();
    [[nodiscard]] bool StopRequested() const;
    void WatchApplicationQuit(bool watch);

    QString dirs_;
    QString fileMasks_;
    bool recurseSubDirs_ = true;
    bool threadedSearch_ = true;
    TLMDThreadPriority threadPriority_ = tpNormal;
    bool internalFoundList_ = true;
    TLMDSearchResultValues resultValues_ = srsDir | srsFilename;
    TLMDFileAttributes attributes_ = fmAnyfile;
    qint64 minSize_ = 0;
    qint64 maxSize_ = 0;
    TLMDCheckDates checkDates_;
    QDateTime createdAfter_;
    QDateTime createdBefore_;
    QDateTime accessedAfter_;
    QDateTime accessedBefore_;
    QDateTime modifiedAfter_;
    QDateTime modifiedBefore_;
    QString searchString_;
    TLMDSearchOptions searchOptions_;
    QChar anySingleCharacter_ = u'?';
    QChar anySequenceCharacter_ = u'*';

    // Run state. The cancel request holds from Cancel to the end of the next run. A threaded
    // run is "scheduled" from Execute until the event loop starts it; "terminated" marks a
    // Cancel while a threaded run is scheduled or running, which keeps the start directories
    // not yet begun from being walked at all.
    bool cancelRequested_ = false;
    bool scheduled_ = false;
    bool running_ = false;
    bool threadedRun_ = false;
    bool terminated_ = false;
    bool applicationQuitting_ = false;
    bool watchingQuit_ = false;
    // A run in progress holds a guard, nested runs started by its handlers hold further ones;
    // the destructor marks them all, so that a run whose component a handler deleted unwinds
    // without touching it.
    struct DestroyGuard {
        explicit DestroyGuard(TLMDSearchFileGrep& owner)
            : owner(owner), previous(owner.destroyGuards_) {
            owner.destroyGuards_ = this;
        }
        DestroyGuard(const DestroyGuard&) = delete;
        DestroyGuard& operator=(const DestroyGuard&) = delete;
        ~DestroyGuard() {
            if (!destroyed)
                owner.destroyGuards_ = previous;
        }
        TLMDSearchFileGrep& owner;
        DestroyGuard* previous = nullptr;
        bool destroyed = false;
    };
    DestroyGuard* destroyGuards_ = nullptr;
    QStringList foundList_;
};
