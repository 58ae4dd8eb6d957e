#include "scene/cscenestream.h"

#include <algorithm>
#include <cstring>

#include "platform/outputfile.h"

CSceneStream::CSceneStream(COutputFile& out) : out_(&out) {}

CSceneStream::CSceneStream(std::span<const uint8_t> bytes)
    : data_(bytes.data()), size_(bytes.size()) {}

bool CSceneStream::Write(const void* data, size_t size) {
    if (failed_)
        return false;
    if (out_ == nullptr)
        return Fail("write on a stream opened for reading");
    if (!out_->Write(data, size))
        return Fail("cannot write at byte " + std::to_string(out_->Tell()));
    return true;
}

uint8_t* CSceneStream::Append(size_t size) {
    if (failed_)
        return nullptr;
    if (out_ == nullptr) {
        Fail("write on a stream opened for reading");
        return nullptr;
    }
    const uint64_t at = out_->Tell();
    uint8_t* room = out_->Append(size);
    if (room == nullptr)
        Fail("cannot write at byte " + std::to_string(at));
    return room;
}

size_t CSceneStream::MaxAppend() const {
    return out_ != nullptr ? out_->BufferCapacity() : 0;
}

bool CSceneStream::WriteAt(uint64_t offset, const void* data, size_t size) {
    if (failed_)
        return false;
    if (out_ == nullptr)
        return Fail("write on a stream opened for reading");
    if (!out_->WriteAt(offset, data, size))
        return Fail("cannot write at byte " + std::to_string(offset));
    return true;
}

bool CSceneStream::Read(void* data, size_t size) {
    if (failed_)
        return false;
    if (out_ != nullptr)
        return Fail("read on a stream opened for writing");
    if (size > Remaining()) {
        if (size_ - position_ >= size)
            return Fail("records overlap: more bytes read than the file holds, at byte " +
                        std::to_string(position_));
        return Fail("unexpected end of file at byte " + std::to_string(position_));
    }
    if (size > 0)
        std::memcpy(data, data_ + position_, size);
    position_ += size;
    consumed_ += size;
    return true;
}

bool CSceneStream::Seek(uint64_t offset) {
    if (failed_)
        return false;
    if (out_ != nullptr)
        return Fail("seek on a stream opened for writing");
    if (offset > size_)
        return Fail("offset " + std::to_string(offset) + " lies beyond the end of the file (" +
                    std::to_string(size_) + " bytes)");
    position_ = offset;
    return true;
}

uint64_t CSceneStream::Tell() const {
    return out_ != nullptr ? out_->Tell() : position_;
}

uint64_t CSceneStream::Remaining() const {
    if (out_ != nullptr)
        return 0;
    return std::min(size_ - position_, size_ - consumed_);
}

bool CSceneStream::Fail(const std::string& reason) {
    if (!failed_) {
        failed_ = true;
        error_ = reason;
    }
    return false;
}
