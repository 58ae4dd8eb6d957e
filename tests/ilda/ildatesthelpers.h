#pragma once

// Shared pieces of the ILDA tests: a fresh scene with one channel as the workflows make it, a
// scratch directory, and a recorder for the message hook.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "model/cscene.h"
#include "model/geometry.h"
#include "platform/messagehook.h"
#include "settings/settings.h"

struct RecordedMessage {
    std::string text;
    int type = -1;
    unsigned buttons = 0;
};

// Records every message shown while it lives, and answers OK.
class MessageRecorder {
public:
    MessageRecorder() {
        previous_ = SetMessageHook([this](const std::string& text, int type, unsigned buttons) {
            messages.push_back({text, type, buttons});
            return static_cast<int>(mrOk);
        });
    }
    ~MessageRecorder() { SetMessageHook(previous_); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    std::vector<RecordedMessage> messages;

private:
    MessageHook previous_;
};

class IldaTest : public testing::Test {
protected:
    static void SetUpTestSuite() { FillAngleTables(); }

    void SetUp() override {
        char name[] = "/tmp/ildatest-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        dir_ = name;
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(dir_, ec);
    }

    // A fresh scene and its one channel, as every workflow builds them.
    CChannel* NewChannel() {
        scenes_.push_back(std::make_unique<CScene>(DefaultSettings()));
        CChannel* channel = scenes_.back()->AddChannel();
        EXPECT_NE(channel, nullptr);
        return channel;
    }

    static std::string Read(const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void Put(const std::filesystem::path& p, const std::string& bytes) {
        std::ofstream(p, std::ios::binary) << bytes;
    }
    static void Put(const std::filesystem::path& p, const std::vector<uint8_t>& bytes) {
        Put(p, std::string(bytes.begin(), bytes.end()));
    }
    // The descriptors the process has open: a load or save that is over holds none of its own.
    static size_t OpenDescriptorCount() {
        return static_cast<size_t>(
            std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}));
    }
    size_t EntryCount() const {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir_), {}));
    }

    std::filesystem::path dir_;

private:
    std::vector<std::unique_ptr<CScene>> scenes_;
};

// The vertex counts of a channel's frames, one per frame, counting the free vertices of each
// frame's things.
inline std::vector<int> VertexCounts(const CChannel* channel) {
    std::vector<int> counts;
    for (CFrame* frame = channel->FirstFrame(); frame != nullptr; frame = frame->next) {
        int n = 0;
        for (CThing* thing = frame->FirstThing(); thing != nullptr; thing = thing->next)
            n += thing->VertexCount();
        counts.push_back(n);
    }
    return counts;
}
