#pragma once

#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include <QDateTime>
#include <QString>

#include <sys/stat.h>
#include <sys/types.h>

#include "search/ccontenttemplate.h"
#include "search/cdirectory.h"
#include "search/cfilemask.h"
#include "search/cpseudofilesystems.h"
#include "search/searchtypes.h"

class TLMDSearchFileGrep;

// One run's walk over the directory trees of a TLMDSearchFileGrep. It reads the run's settings
// from the component's properties once, sends the component's notifications and holds the set
// of directories entered so far, by device and inode.
class CSearchWalk {
public:
    // destroyed is raised when a handler deletes the component; the walk then unwinds without
    // touching it.
    CSearchWalk(TLMDSearchFileGrep& owner, const bool& destroyed);

    // The content template holds nothing but wildcards.
    [[nodiscard]] bool TemplateInvalid() const { return content_ && !content_->IsValid(); }

    // Walks one start directory and everything below it, following symbolic links to
    // directories; no directory is entered twice in one run, so links that lead back up the
    // tree end.
    void WalkStart(const QString& directory);

private:
    struct Status {
        bool valid = false;
        struct statx info {};
    };
    struct DirectoryId {
        dev_t device = 0;
        ino_t inode = 0;
        bool operator==(const DirectoryId&) const = default;
    };
    struct DirectoryIdHash {
        size_t operator()(const DirectoryId& id) const;
    };

    [[nodiscard]] bool Stop() const;
    void Walk(std::string path, bool isStart, dev_t parentDevice);
    void ReportEntry(const CDirectory& directory, const QString& directoryText,
                     const CDirectory::Entry& entry);
    [[nodiscard]] static TLMDFileAttributes Attributes(const CDirectory::Entry& entry,
                                                       const Status& status);
    [[nodiscard]] static QString AttributeLetters(TLMDFileAttributes attributes, bool isDirectory);
    [[nodiscard]] static QDateTime CreationTime(const struct statx& info);
    [[nodiscard]] bool PassesSize(qint64 size) const;
    [[nodiscard]] bool PassesDates(const struct statx& info) const;

    TLMDSearchFileGrep& owner_;
    const bool& destroyed_;
    std::vector<CFileMask> masks_;
    std::optional<CContentTemplate> content_;
    TLMDSearchResultValues results_;
    bool onUiThread_ = false;
    bool recurse_ = true;
    qint64 minSize_ = 0;
    qint64 maxSize_ = 0;
    TLMDFileAttributes attributes_;
    TLMDCheckDates checkDates_;
    QDateTime createdAfter_;
    QDateTime createdBefore_;
    QDateTime accessedAfter_;
    QDateTime accessedBefore_;
    QDateTime modifiedAfter_;
    QDateTime modifiedBefore_;
    bool sizeFilter_ = false;
    bool attributeFilter_ = false;
    bool dateFilter_ = false;
    bool needStatus_ = false;
    std::unordered_set<DirectoryId, DirectoryIdHash> entered_;
    CPseudoFileSystems pseudo_;
};
