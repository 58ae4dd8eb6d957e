#pragma once

#include <QString>

#include <memory>
#include <new>

#include "ilda/cilda.h"
#include "model/cchannel.h"
#include "model/cscene.h"
#include "search/filenamecodec.h"
#include "settings/settings.h"

// The objects a workflow makes for one file: a scene of its own with one channel, and the
// reader (which also writes a re-saved copy). They live for that file only.
struct TFileObjects {
    std::unique_ptr<CScene> scene;
    CChannel* channel = nullptr;
    std::unique_ptr<CIlda> reader;

    // False when memory ran out making them; the file is then passed over.
    [[nodiscard]] bool Create() {
        try {
            scene = std::make_unique<CScene>(Settings);
            reader = std::make_unique<CIlda>();
            channel = scene->AddChannel();
        } catch (const std::bad_alloc&) {
            Release();
        }
        return channel != nullptr;
    }
    void Release() {
        channel = nullptr;
        reader.reset();
        scene.reset();
    }
};

// What the window shows when memory ran out while it loaded (action "load") or saved ("save")
// a file, the file's path as the lists show it: memory, not the file, is at fault, so the
// corrupt-file message would mislead.
inline QString NotEnoughMemoryMessage(const char* action, const QString& file) {
    return QStringLiteral("not enough memory to %1 %2")
        .arg(QLatin1String(action), DisplayedFileName(file));
}
